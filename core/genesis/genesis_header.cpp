// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "genesis/genesis_header.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include "engine/input_file.h"
#include "engine/size_units.h"
#include "engine/whole_file.h"
#include "genesis/rom_image_format.h"

namespace nuvrel {
namespace {

// Field positions relative to the header's first byte (image offset 0x100).
constexpr std::size_t kSystemName = 0x00;
constexpr std::size_t kCopyright = 0x10;
constexpr std::size_t kDomesticName = 0x20;
constexpr std::size_t kOverseasName = 0x50;
constexpr std::size_t kCartridgeType = 0x80;
constexpr std::size_t kChecksum = 0x8E;
constexpr std::size_t kRomStart = 0xA0;
constexpr std::size_t kRamStart = 0xA8;

std::string HeaderText(const GenesisHeaderBytes& header, std::size_t at, std::size_t length) {
    const char* bytes = reinterpret_cast<const char*>(header.data() + at);
    return std::string(bytes, strnlen(bytes, length));
}

std::uint32_t Address24(const GenesisHeaderBytes& header, std::size_t at) {
    return (static_cast<std::uint32_t>(header[at + 1]) << 16) |
           (static_cast<std::uint32_t>(header[at + 2]) << 8) | header[at + 3];
}

std::string RangeText(const GenesisHeaderBytes& header, std::size_t at) {
    const std::uint32_t start = Address24(header, at);
    const std::uint32_t end = Address24(header, at + 4);
    char text[64];
    std::snprintf(text, sizeof text, "0x%.6x(%u)::0x%.6x(%u)", static_cast<unsigned>(start),
                  static_cast<unsigned>(start), static_cast<unsigned>(end),
                  static_cast<unsigned>(end));
    return text;
}

}  // namespace

GenesisHeaderFields FormatGenesisHeader(const GenesisHeaderBytes& header) {
    GenesisHeaderFields fields;
    fields.systemName = HeaderText(header, kSystemName, 16);
    fields.copyright = HeaderText(header, kCopyright, 16);
    fields.domesticName = HeaderText(header, kDomesticName, 48);
    fields.overseasName = HeaderText(header, kOverseasName, 48);
    fields.cartridgeType = HeaderText(header, kCartridgeType, 14);
    char checksum[16];
    std::snprintf(checksum, sizeof checksum, "0x%.4x",
                  static_cast<unsigned>((header[kChecksum] << 8) | header[kChecksum + 1]));
    fields.checksum = checksum;
    fields.romRange = RangeText(header, kRomStart);
    fields.ramRange = RangeText(header, kRamStart);
    return fields;
}

std::uint32_t HeaderRomEnd(const GenesisHeaderBytes& header) {
    return Address24(header, kRomStart + 4);
}

std::string HeaderFileSizeText(std::uint32_t imageSize) {
    char text[48];
    std::snprintf(text, sizeof text, "0x%.8X, %dMBit", static_cast<unsigned>(imageSize),
                  static_cast<int>(MBitRoundedUp(imageSize)));
    return text;
}

std::optional<GenesisHeaderBytes> ReadGenesisHeaderFromFile(const std::string& path) {
    const InputFile file(path);
    if (!file.opened()) {
        return std::nullopt;
    }
    GenesisHeaderBytes header{};
    // An SMD or byte-swapped image shows the header of the image the device would hold.
    const RomFormatDetection format = DetectRomImageFile(path);
    if (format.format != RomImageFormat::Plain) {
        const WholeFile whole = ReadWholeFile(path, file.size());
        const std::vector<std::uint8_t> plain = ToPlainImage(whole.bytes, format.format);
        if (plain.size() < kGenesisHeaderOffset + header.size()) {
            return std::nullopt;
        }
        std::copy_n(plain.begin() + kGenesisHeaderOffset, header.size(), header.begin());
        return header;
    }
    const bool ok =
        std::fseek(file.get(), static_cast<long>(kGenesisHeaderOffset), SEEK_SET) == 0 &&
        std::fread(header.data(), 1, header.size(), file.get()) == header.size();
    if (!ok) {
        return std::nullopt;
    }
    return header;
}

}  // namespace nuvrel
