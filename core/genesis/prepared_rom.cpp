// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "genesis/prepared_rom.h"

#include <algorithm>

#include "engine/input_file.h"
#include "engine/operation_outcome.h"
#include "engine/whole_file.h"
#include "genesis/rom_image.h"
#include "genesis/sector_diff.h"

namespace nuvrel {
const char* RomPrepareFailureText(RomPrepareFailure failure) {
    switch (failure) {
        case RomPrepareFailure::None:
            return "";
        case RomPrepareFailure::NotRegularFile:
            return kNotARegularFile;
        case RomPrepareFailure::Empty:
            return kRomTooSmallText;
        case RomPrepareFailure::TooLarge:
            return "The image is larger than any cartridge (64 MiB).";
        case RomPrepareFailure::CannotOpen:
            break;
    }
    return kStatusCantReadFile;
}

PlainRom LoadPlainRom(const std::string& path) {
    PlainRom plain;
    plain.sourcePath = path;
    WholeFile file = ReadWholeFile(path, kLargestRomImageFile);
    if (file.tooLarge) {
        plain.failure = RomPrepareFailure::TooLarge;
        return plain;
    }
    if (!file.read()) {
        plain.failure = file.status == InputFile::Status::NotRegular
                            ? RomPrepareFailure::NotRegularFile
                            : RomPrepareFailure::CannotOpen;
        return plain;
    }
    if (file.bytes.empty()) {
        plain.failure = RomPrepareFailure::Empty;
        return plain;
    }
    plain.format = DetectRomImageFormat(file.bytes);
    plain.bytes = plain.format.format == RomImageFormat::Plain
                      ? std::move(file.bytes)
                      : ToPlainImage(file.bytes, plain.format.format);
    return plain;
}

std::shared_ptr<const PreparedRom> FinishPreparedRom(PlainRom plain,
                                                     const PatchApplier& applyPatches) {
    auto rom = std::make_shared<PreparedRom>();
    rom->sourcePath = std::move(plain.sourcePath);
    rom->format = plain.format.format;
    rom->formatNote = std::move(plain.format.note);
    rom->imageSize = static_cast<std::uint32_t>(plain.bytes.size());
    const std::uint32_t blocks = (rom->imageSize + kImageBlockBytes - 1) / kImageBlockBytes;
    const std::size_t programmed = std::size_t{blocks} * kImageBlockBytes;

    rom->bytes = std::move(plain.bytes);
    // A whole block of slack past the image takes a patch's spill on its last byte.
    rom->bytes.resize(programmed + kImageBlockBytes, 0xFF);
    if (applyPatches) {
        applyPatches(rom->bytes.data(), rom->imageSize);
    }
    // The filled-up tail is erased flash, whatever a patch spilled into it.
    std::fill(rom->bytes.begin() + rom->imageSize, rom->bytes.end(), std::uint8_t{0xFF});
    rom->bytes.resize(programmed);
    return rom;
}

RomPreparation PrepareRomImage(const std::string& path, const PatchApplier& applyPatches) {
    PlainRom plain = LoadPlainRom(path);
    if (!plain.loaded()) {
        return {nullptr, plain.failure};
    }
    return {FinishPreparedRom(std::move(plain), applyPatches), RomPrepareFailure::None};
}

}  // namespace nuvrel
