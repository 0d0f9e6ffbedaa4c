// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Checksums that tell whether a dump or an image is the one a dump database lists: CRC32 (zlib)
// and SHA-1 (Nettle), of a whole file or of bytes in memory.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace nuvrel {

struct RomDigest {
    std::uint64_t size = 0;
    std::uint32_t crc32 = 0;
    std::array<std::uint8_t, 20> sha1{};

    std::string crc32Text() const;  // eight lower-case hex digits, as dump databases write it
    std::string sha1Text() const;   // forty lower-case hex digits
};

// nullopt only when the hash library fails.
std::optional<RomDigest> DigestBytes(std::span<const std::uint8_t> bytes);

// nullopt when the file cannot be read (or is not a regular file).
std::optional<RomDigest> DigestFile(const std::string& path);

}  // namespace nuvrel
