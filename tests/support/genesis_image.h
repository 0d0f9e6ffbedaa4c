// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Genesis ROM images for tests: the header and checksum that the pages, the engines and the CLI
// read, and the SMD file layout.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace nuvrel::testing {

struct GenesisHeaderFields {
    std::string domesticName;
    std::uint32_t ramStart = 0x200000;  // the SRAM range ends at 0x20FFFF
};

// Writes the header over image[0x100 ... 0x1AF]: "SEGA MEGA DRIVE", "(C)NUVR 2026.DEC", the names
// padded with spaces (the overseas one is "OVERSEAS " and the domestic one), "GM 00000000-00",
// ROM 0 ... size - 1 and the SRAM range. The checksum is left as it was.
void PutGenesisHeader(std::span<std::uint8_t> image, const GenesisHeaderFields& fields);

// The sum of the big-endian words after the header: the checksum a good dump carries.
std::uint16_t GenesisWordSum(std::span<const std::uint8_t> image);
// Sets the header's checksum to that sum.
void PutComputedChecksum(std::span<std::uint8_t> image);

// size bytes of a pattern with a header and its checksum; below 0x200 bytes, the pattern alone.
std::vector<std::uint8_t> MakeGenesisImage(std::size_t size, const std::string& domesticName);

// The SMD file of a plain image: a 512-byte header (the count of 16 KiB blocks, then 0xAA 0xBB at
// offset 8), then each 16 KiB block with its odd bytes first.
std::vector<std::uint8_t> SmdFile(const std::vector<std::uint8_t>& plain);

}  // namespace nuvrel::testing
