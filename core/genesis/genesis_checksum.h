// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The Genesis header checksum: the 16-bit sum of the image's big-endian words from byte 0x200 to
// its end (an odd last byte counts as the high byte of a word), kept at 0x18E of the header.
// Games check it at boot, so an image whose checksum disagrees may show a red screen on hardware.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace nuvrel {

inline constexpr std::uint32_t kChecksumStart = 0x200;
inline constexpr std::uint32_t kChecksumOffset = 0x18E;

std::uint16_t ComputeGenesisChecksum(std::span<const std::uint8_t> image);

struct ImageChecksum {
    std::uint16_t stored = 0;
    std::uint16_t computed = 0;
    bool matches() const { return stored == computed; }
};

// The stored and computed checksum of an image file; nullopt when it cannot be read or is too
// short to hold a header.
std::optional<ImageChecksum> ReadImageChecksum(const std::string& path);

enum class ChecksumFix {
    Written,
    CannotRead,   // the image is unreadable or has no header
    SameFile,     // the copy would replace the image itself
    CannotWrite,  // the copy could not be written; an older file of that name is untouched
};

// Writes a copy of the image with the computed checksum in its header. Never in place.
ChecksumFix WriteChecksumFixedCopy(const std::string& imagePath, const std::string& outputPath);

}  // namespace nuvrel
