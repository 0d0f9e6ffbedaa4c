// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "genesis/sector_diff.h"

#include <cstddef>

namespace nuvrel {

SectorCoverage CoverageOfImage(const SectorEntry* table, std::uint32_t imageBytes) {
    SectorCoverage coverage;
    for (std::size_t i = 0; i < VELK_SECTOR_TABLE_ROWS && coverage.coveredBytes < imageBytes; ++i) {
        const SectorEntry& row = table[i];
        if (row.name[0] == '\0') {
            break;  // the table's ending row
        }
        const std::uint64_t start = std::uint64_t{row.wordAddress} * 2;
        if (start != coverage.coveredBytes || start % kImageBlockBytes != 0 || row.end <= start) {
            break;
        }
        coverage.sectors.push_back({&row, static_cast<std::uint32_t>(start), row.end});
        coverage.coveredBytes = row.end;
    }
    return coverage;
}

bool SectorDiffers(std::span<const std::uint8_t> image, const ImageSector& sector,
                   std::span<const std::uint8_t> device) {
    for (std::size_t i = 0; i < device.size(); ++i) {
        const std::size_t address = sector.start + i;
        const std::uint8_t expected = address < image.size() ? image[address] : 0xFF;
        if (device[i] != expected) {
            return true;
        }
    }
    return false;
}

}  // namespace nuvrel
