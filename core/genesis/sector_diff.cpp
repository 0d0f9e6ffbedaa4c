// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "genesis/sector_diff.h"

#include <cstddef>

namespace nuvrel {

std::optional<std::vector<ImageSector>> SectorsOfImage(const SectorEntry* table,
                                                       std::uint32_t imageBytes) {
    const std::uint32_t whole = imageBytes / kImageBlockBytes * kImageBlockBytes;
    std::vector<ImageSector> sectors;
    std::uint32_t covered = 0;
    for (std::size_t i = 0; i < VELK_SECTOR_TABLE_ROWS && covered < whole; ++i) {
        const SectorEntry& row = table[i];
        if (row.name[0] == '\0') {
            break;  // the table's ending row
        }
        const std::uint64_t start = std::uint64_t{row.wordAddress} * 2;
        if (start != covered || start % kImageBlockBytes != 0 || row.end <= start) {
            return std::nullopt;
        }
        sectors.push_back({&row, static_cast<std::uint32_t>(start), row.end});
        covered = row.end;
    }
    if (covered < whole) {
        return std::nullopt;
    }
    return sectors;
}

bool SectorDiffers(std::span<const std::uint8_t> image, const ImageSector& sector,
                   std::span<const std::uint8_t> device) {
    const std::size_t whole = image.size() / kImageBlockBytes * kImageBlockBytes;
    for (std::size_t i = 0; i < device.size(); ++i) {
        const std::size_t address = sector.start + i;
        const std::uint8_t expected = address < whole ? image[address] : 0xFF;
        if (device[i] != expected) {
            return true;
        }
    }
    return false;
}

}  // namespace nuvrel
