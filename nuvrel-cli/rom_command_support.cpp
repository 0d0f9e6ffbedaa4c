// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "rom_command_support.h"

#include <CLI/CLI.hpp>

#include <nlohmann/json.hpp>

#include "cli_failure.h"
#include "device_access.h"
#include "engine/device_capacity.h"
#include "engine/input_file.h"
#include "engine/status_text.h"
#include "engine/whole_file.h"
#include "genesis/rom_image.h"
#include "json_output.h"
#include "patches/game_genie.h"
#include "patches/patch_file.h"
#include "patches/patch_input.h"
#include "patches/patch_messages.h"
#include "printable_text.h"

namespace nuvrel::cli {

void AddImageOptions(CLI::App& command, ImageOptions& options) {
    command.add_option("IMAGE", options.image, "Genesis ROM image (.gen, .bin)")->required();
    command.add_option("--patch", options.patches,
                       "Patch to apply in memory: ADDRESS:DATA (hex) or a Game Genie code; may be "
                       "repeated");
    command.add_option("--patch-file", options.patchFile,
                       "Patch file of ADDRESS:DATA lines; every patch in it is applied");
    command.add_option("--dat", options.dat,
                       "Logiqx XML DAT file: name the game whose dump matches the image");
    command.add_flag("--json", options.json, "Print the result as JSON (progress goes to stderr)");
    AddDeviceOption(command);
}

void RequireRegularFile(const std::string& path) {
    if (InputFile(path).status() == InputFile::Status::NotRegular) {
        throw CliFailure(kExitBadInput, std::string(kNotARegularFile) + ": " + ShownArgument(path));
    }
}

PatchList CollectPatches(const ImageOptions& options, std::uint32_t imageSize) {
    PatchList list;
    if (!options.patchFile.empty()) {
        const PatchFileResult result = LoadPatchFile(options.patchFile, imageSize, list);
        if (result == PatchFileResult::NotRegularFile) {
            throw CliFailure(kExitBadInput, std::string(kNotARegularFile) + ": " +
                                                ShownArgument(options.patchFile));
        }
        if (result != PatchFileResult::Ok) {
            throw CliFailure(kExitBadInput, std::string(PatchFileMessage(result)) + " (" +
                                                ShownArgument(options.patchFile) + ")");
        }
    }
    for (const std::string& text : options.patches) {
        const auto patch = ParsePatchArgument(text);
        if (!patch) {
            throw CliFailure(kExitBadInput, "Invalid patch \"" + ShownArgument(text) +
                                                "\": expected ADDRESS:DATA in hex or a Game "
                                                "Genie code like 1RZA-AAEA");
        }
        if (!IsInRomArea(patch->address, imageSize)) {
            throw CliFailure(kExitBadInput, std::string(patch_messages::kAddressNotInRomArea) +
                                                " (" + ShownArgument(text) + ")");
        }
        char code[kGameGenieCodeBufferSize];
        EncodeGameGenie(patch->address, patch->data, code);
        list.AppendPatchRow(patch->address, patch->data, code);
    }
    for (std::size_t index = 0; index < list.size(); ++index) {
        list.SetChecked(index, true);
    }
    return list;
}

// GetMaxSize gives 0 without a device, for a model of unknown size and when its transfer failed;
// only the first is "no device", and a device that did not answer is never blamed on the file.
std::uint32_t DeviceCapacityOrFail() {
    const DeviceCapacity capacity = QueryDeviceCapacity(false);
    if (!capacity.answered) {
        throw CliFailure(kExitNoAnswer, NoAnswerAt(device_step::kSizeQuery).status);
    }
    if (capacity.romBytes == 0) {
        OpenDevice probe;
    }
    return capacity.romBytes;
}

namespace {

PlainRom LoadImageOrFail(const std::string& path) {
    PlainRom plain = LoadPlainRom(path);
    switch (plain.failure) {
        case RomPrepareFailure::None:
            return plain;
        case RomPrepareFailure::NotRegularFile:
            throw CliFailure(kExitBadInput,
                             std::string(kNotARegularFile) + ": " + ShownArgument(path));
        case RomPrepareFailure::Empty:
        case RomPrepareFailure::TooLarge:
            throw CliFailure(kExitBadInput, std::string(RomPrepareFailureText(plain.failure)) +
                                                " (" + ShownArgument(path) + ")");
        case RomPrepareFailure::CannotOpen:
            break;
    }
    throw CliFailure(kExitBadInput, "Can't open image file: " + ShownArgument(path));
}

void PrintImageLine(const ImageOptions& options, const PreparedImage& prepared) {
    const PreparedRom& rom = *prepared.rom;
    const std::string name =
        rom.imageSize >= 0x150 ? DomesticNameText(rom.programmed().subspan(0x120, 48)) : "";
    std::FILE* text = TextOutput(options.json);
    std::fprintf(text, "Image: %s, %s, \"%s\"\n", ShownArgument(options.image).c_str(),
                 FileSizeMBitText(rom.imageSize).c_str(), Printable(name).c_str());
    if (!rom.formatNote.empty()) {
        std::fprintf(text, "Image format: %s\n", rom.formatNote.c_str());
    }
    if (rom.filledUp() != 0) {
        std::fprintf(text, "Last block filled up with %u bytes of 0xFF (erased flash)\n",
                     rom.filledUp());
    }
    if (!prepared.patches.empty()) {
        std::fprintf(text, "Patches applied to the image in memory: %zu\n",
                     prepared.patches.size());
    }
    std::fflush(text);
}

}  // namespace

PreparedImage PrepareImageForDevice(const ImageOptions& options) {
    PreparedImage prepared;
    PlainRom plain = LoadImageOrFail(options.image);
    const auto imageSize = static_cast<std::uint32_t>(plain.bytes.size());
    prepared.patches = CollectPatches(options, imageSize);
    prepared.dat = LoadDatOrFail(options.dat);
    PatchApplier applyPatches;
    if (!prepared.patches.empty()) {
        applyPatches = [&list = prepared.patches](std::uint8_t* bytes, std::uint32_t length) {
            ApplyPatches(list, bytes, length);
        };
    }
    prepared.rom = FinishPreparedRom(std::move(plain), applyPatches);
    const std::optional<RomDigest> digest = DigestBytes(prepared.rom->programmed());
    if (!digest) {
        throw CliFailure(kExitFailed, "Can't compute the image's digest");
    }
    prepared.digest = *digest;

    const std::uint32_t capacity = DeviceCapacityOrFail();
    if (!ImageFitsDevice(capacity, imageSize)) {
        throw CliFailure(kExitBadInput, RomTooLargeMessage(capacity, imageSize));
    }
    PrintImageLine(options, prepared);
    return prepared;
}

std::optional<DatFile> LoadDatOrFail(const std::string& path) {
    if (path.empty()) {
        return std::nullopt;
    }
    RequireRegularFile(path);
    std::string error;
    std::optional<DatFile> dat = DatFile::Load(path, &error);
    if (!dat) {
        throw CliFailure(kExitBadInput, error + ": " + ShownArgument(path));
    }
    return dat;
}

void ReportDigest(const std::string& file, const RomDigest& digest,
                  const std::optional<DatFile>& dat, const std::string& status, bool json,
                  const std::string& sizeReason) {
    const DatRom* match = dat ? dat->find(digest) : nullptr;
    if (json) {
        nlohmann::ordered_json object;
        object["status"] = status;
        object["file"] = file;
        object["size"] = digest.size;
        if (!sizeReason.empty()) {
            object["sizeReason"] = sizeReason;
        }
        object["crc32"] = digest.crc32Text();
        object["sha1"] = digest.sha1Text();
        if (dat) {
            object["dat"] = match == nullptr ? nlohmann::ordered_json()
                                             : nlohmann::ordered_json{{"game", match->game},
                                                                      {"rom", match->name}};
        }
        std::printf("%s\n", JsonText(object).c_str());
        return;
    }
    std::printf("CRC32: %s\nSHA-1: %s\n", digest.crc32Text().c_str(), digest.sha1Text().c_str());
    if (dat) {
        if (match != nullptr) {
            std::printf("DAT: %s (%s)\n", Printable(match->game).c_str(),
                        Printable(match->name).c_str());
        } else {
            std::printf("DAT: no match\n");
        }
    }
}

}  // namespace nuvrel::cli
