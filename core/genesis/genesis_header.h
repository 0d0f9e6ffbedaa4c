// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The Genesis ROM header (bytes 0x100 ... 0x1AF of an image) read from a file or from the device,
// and the texts the "Extended ROM info" page shows for its fields.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace nuvrel {

inline constexpr std::uint32_t kGenesisHeaderOffset = 0x100;
inline constexpr std::size_t kGenesisHeaderLength = 176;
using GenesisHeaderBytes = std::array<std::uint8_t, kGenesisHeaderLength>;

// The eight shown fields. Texts hold the header's bytes as they are (cut after the field's length
// or at a zero byte, nothing trimmed); numbers are formatted "0x%.4x" and "0x%.6x(%u)::0x%.6x(%u)"
// with the low 24 bits of each big-endian address.
struct GenesisHeaderFields {
    std::string systemName;     // 0x100, 16: "SEGA system name and TITLE:"
    std::string copyright;      // 0x110, 16: "Copyright notice and year/month of release:"
    std::string domesticName;   // 0x120, 48: "Domestic Game Name:"
    std::string overseasName;   // 0x150, 48: "Overseas Game Name:"
    std::string cartridgeType;  // 0x180, 14: "Cartridge Type:"
    std::string checksum;       // 0x18E, 2:  "Check Sum:"
    std::string romRange;       // 0x1A0/0x1A4: "ROM capacity Start Address, End Addres:"
    std::string ramRange;       // 0x1A8/0x1AC: "SRAM capacity Start Address, End Addres:"
};

GenesisHeaderFields FormatGenesisHeader(const GenesisHeaderBytes& header);

// The ROM end address of the header (0x1A4, low 24 bits): the last byte the game uses.
std::uint32_t HeaderRomEnd(const GenesisHeaderBytes& header);

// "0x%.8X, %dMBit": an image size (as recorded at selection) and its megabits rounded up.
std::string HeaderFileSizeText(std::uint32_t imageSize);

// The 176 header bytes of an image file; nullopt when the file cannot be opened or is too short to
// hold a header.
std::optional<GenesisHeaderBytes> ReadGenesisHeaderFromFile(const std::string& path);

inline constexpr const char* kNotApplicable = "Not applicable";

struct DeviceHeaderRead {
    bool deviceFound = false;
    // "File name:": the stored name of slot 0 cut after 64 characters, or "Not applicable".
    std::string fileName;
    std::optional<GenesisHeaderBytes> header;  // nullopt when the device or the read failed
};

// Opens the device, sends compatibility 0x21 on the Brivo model, reads the stored name and 192
// bytes from word address 0x80 (count 3), closes the device; the first failed transfer ends it.
// Callers check the busy flag first and leave the device alone while it is set.
DeviceHeaderRead ReadGenesisHeaderFromDevice();

}  // namespace nuvrel
