// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Which of the device's sectors must be reprogrammed for it to hold what a full write of an image
// would leave there: every sector a full write erases (those starting inside the image's whole
// 512-byte blocks) holds the image's whole blocks and erased flash (0xFF) after them.
#pragma once

#include <cstdint>
#include <optional>
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

// The sectors a full write of an image of `imageBytes` erases, in address order. Nothing when
// the table does not cover the image's whole blocks without a gap, from byte 0 on, in sectors
// that start on a block boundary: reprogramming part of such an image could not match a full
// write.
std::optional<std::vector<ImageSector>> SectorsOfImage(const SectorEntry* table,
                                                       std::uint32_t imageBytes);

// Whether `device`, the bytes read from `sector`, differ from what a full write of `image`
// leaves there. `image` is exactly the image's bytes; only its whole blocks count.
bool SectorDiffers(std::span<const std::uint8_t> image, const ImageSector& sector,
                   std::span<const std::uint8_t> device);

}  // namespace nuvrel
