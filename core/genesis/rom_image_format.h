// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// ROM image layouts other than the plain .bin the device holds: SMD images (a 512-byte header,
// then 16 KiB blocks with the odd bytes first) and byte-swapped images. Programming either as it
// is fills the cartridge with garbage, so a recognised one is converted in memory; an image with
// no recognisable header (homebrew may lack one) stays as it is. Qt-free.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace nuvrel {

enum class RomImageFormat { Plain, Smd, ByteSwapped };

struct RomFormatDetection {
    RomImageFormat format = RomImageFormat::Plain;
    std::uint32_t plainSize = 0;  // the size of the plain image
    // One line for the user; empty for a plain image.
    std::string note;
};

// Larger than any cartridge, with room for an SMD header: image files are read whole up to this.
inline constexpr std::uint64_t kLargestRomImageFile = 64ull * 1024 * 1024;

// Looks for the "SEGA" signature at 0x100 (or 0x101) in the image as it is, de-interleaved and
// un-swapped, in that order.
RomFormatDetection DetectRomImageFormat(std::span<const std::uint8_t> file);

// The same for a file on disk (read whole); Plain when it cannot be read.
RomFormatDetection DetectRomImageFile(const std::string& path);

// The plain image of a file in `format`.
std::vector<std::uint8_t> ToPlainImage(std::span<const std::uint8_t> file, RomImageFormat format);

}  // namespace nuvrel
