// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "genesis/rom_image.h"

#include <cstdio>
#include <cstring>
#include <limits>

#include "engine/input_file.h"
#include "engine/whole_file.h"

namespace nuvrel {
namespace {

constexpr long kDomesticNameOffset = 0x120;
constexpr std::size_t kDomesticNameLength = 48;

// The walk back starts at the field's last character and stops at the first non-space, a zero
// byte included; the text shown then ends at its first zero byte. Spaces in front of a zero byte
// therefore stay.
std::string DomesticNameWithoutTrailingSpaces(const char* bytes, std::size_t length) {
    std::size_t end = length;
    while (end > 0 && bytes[end - 1] == ' ') {
        --end;
    }
    return std::string(bytes, strnlen(bytes, end));
}

}  // namespace

ImageCheck CheckInputImage(const std::string& path) {
    ImageCheck check;
    const InputFile file(path);
    if (!file.opened()) {
        check.notRegularFile = file.status() == InputFile::Status::NotRegular;
        return check;
    }

    const std::uint64_t measured = file.size();
    if (measured > std::numeric_limits<std::uint32_t>::max()) {
        // A size that does not fit the 32-bit image size would be programmed truncated.
        check.size = 0;
        check.sizeText = kNoInfo;
        check.domesticName = kNoInfo;
        return check;
    }
    const auto size = static_cast<std::uint32_t>(measured);
    check.size = size;
    check.sizeText = FileSizeMBitText(size);

    if (std::fseek(file.get(), kDomesticNameOffset, SEEK_SET) != 0) {
        return check;
    }
    char name[kDomesticNameLength] = {};
    const std::size_t got = std::fread(name, 1, sizeof name, file.get());
    if (std::ferror(file.get()) != 0) {
        return check;
    }
    // An image shorter than the name field shows what it has there (nothing below 0x120).
    check.domesticName = DomesticNameWithoutTrailingSpaces(name, got);
    check.usable = true;
    const RomFormatDetection format = DetectRomImageFile(path);
    if (format.format != RomImageFormat::Plain) {
        const WholeFile whole = ReadWholeFile(path, measured);
        const std::vector<std::uint8_t> plain = ToPlainImage(whole.bytes, format.format);
        check.size = format.plainSize;
        check.sizeText = FileSizeMBitText(format.plainSize);
        check.domesticName = DomesticNameText(std::span(plain).subspan(
            static_cast<std::size_t>(kDomesticNameOffset), kDomesticNameLength));
        check.format = format.format;
        check.formatNote = format.note;
    }
    return check;
}

std::string DomesticNameText(std::span<const std::uint8_t> field) {
    return DomesticNameWithoutTrailingSpaces(reinterpret_cast<const char*>(field.data()),
                                             field.size());
}

std::string RomTooLargeMessage(std::uint32_t capacity, std::uint32_t imageSize) {
    char text[160];
    std::snprintf(text, sizeof text,
                  "File Size is to large for attached device!\nDevice Rom Size: %dMBit\nFile "
                  "Size: %dMBit",
                  static_cast<int>(MBitRoundedDown(capacity)),
                  static_cast<int>(MBitRoundedUp(imageSize)));
    return text;
}

}  // namespace nuvrel
