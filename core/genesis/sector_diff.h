// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Which of the device's sectors must be reprogrammed for it to hold what a full write of an image
// would leave there: every sector a full write erases holds the image's blocks and erased flash
// (0xFF) after them.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include <velk_series/velk_series.h>

namespace nuvrel {

struct ImageSector {
    const SectorEntry* row = nullptr;
    std::uint32_t start = 0;  // byte address
    std::uint32_t end = 0;    // byte address just past the sector
};

inline constexpr std::uint32_t kImageBlockBytes = 512;

// How far the table's rows cover an image from byte 0 on: without a gap, in sectors that start
// on a block boundary. Flash past `coveredBytes` has no known sectors, so it cannot be erased
// the way it must be before it is programmed.
struct SectorCoverage {
    std::vector<ImageSector> sectors;  // in address order, up to the first that ends the image
    std::uint32_t coveredBytes = 0;
    bool covers(std::uint32_t imageBytes) const { return coveredBytes >= imageBytes; }
};
SectorCoverage CoverageOfImage(const SectorEntry* table, std::uint32_t imageBytes);

// Whether `device`, the bytes read from `sector`, differ from what a full write of `image` (whole
// blocks, as prepared for programming) leaves there.
bool SectorDiffers(std::span<const std::uint8_t> image, const ImageSector& sector,
                   std::span<const std::uint8_t> device);

}  // namespace nuvrel
