// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Which sectors an image covers, and when a sector's content differs from what a full write of
// the image leaves there.
#include "genesis/sector_diff.h"

#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace nuvrel {
namespace {

// A table of rows (start byte, size); the row after the last is the ending row.
std::vector<SectorEntry> TableOf(const std::vector<std::pair<std::uint32_t, std::uint32_t>>& rows) {
    std::vector<SectorEntry> table(VELK_SECTOR_TABLE_ROWS);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const std::string name = "SA" + std::to_string(i % 100);
        std::memcpy(table[i].name, name.c_str(), name.size() + 1);
        table[i].wordAddress = rows[i].first / 2;
        table[i].size = rows[i].second;
        table[i].end = rows[i].first + rows[i].second;
    }
    return table;
}

struct CoverCase {
    std::string name;
    std::vector<std::pair<std::uint32_t, std::uint32_t>> rows;
    std::uint32_t imageBytes;
    std::optional<std::vector<std::uint32_t>> starts;  // nullopt: the table does not cover it
};

class SectorsOfImageTest : public ::testing::TestWithParam<CoverCase> {};

TEST_P(SectorsOfImageTest, ListsTheSectorsAFullWriteErases) {
    const auto table = TableOf(GetParam().rows);
    const SectorCoverage coverage = CoverageOfImage(table.data(), GetParam().imageBytes);
    ASSERT_EQ(coverage.covers(GetParam().imageBytes), GetParam().starts.has_value());
    if (!GetParam().starts) {
        return;
    }
    std::vector<std::uint32_t> starts;
    for (const ImageSector& sector : coverage.sectors) {
        starts.push_back(sector.start);
        EXPECT_EQ(sector.row->wordAddress * 2, sector.start);
    }
    EXPECT_EQ(starts, *GetParam().starts);
}

constexpr std::uint32_t k64 = 0x10000;
const std::vector<std::pair<std::uint32_t, std::uint32_t>> kBottomBoot{
    {0, 0x4000}, {0x4000, 0x2000}, {0x6000, 0x2000}, {0x8000, 0x8000}, {k64, k64}, {2 * k64, k64}};

INSTANTIATE_TEST_SUITE_P(
    Tables, SectorsOfImageTest,
    ::testing::Values(
        CoverCase{"WholeTable", kBottomBoot, 3 * k64,
                  std::vector<std::uint32_t>{0, 0x4000, 0x6000, 0x8000, k64, 2 * k64}},
        CoverCase{"ImageEndingInsideASector", kBottomBoot, k64 + 512,
                  std::vector<std::uint32_t>{0, 0x4000, 0x6000, 0x8000, k64}},
        CoverCase{"EmptyImage", kBottomBoot, 0, std::vector<std::uint32_t>{}},
        CoverCase{"ImageBeyondTheTable", kBottomBoot, 3 * k64 + 512, std::nullopt},
        CoverCase{"GapInTheTable", {{0, k64}, {2 * k64, k64}}, 3 * k64, std::nullopt},
        CoverCase{"TableNotFromZero", {{k64, k64}}, k64, std::nullopt},
        CoverCase{"SectorOffABlockBoundary", {{0, 0x100}, {0x100, k64}}, 0x200, std::nullopt}),
    [](const auto& param) { return param.param.name; });

struct DiffCase {
    std::string name;
    std::uint32_t imageBytes;
    std::size_t changedDeviceByte;  // in the sector; npos: the device holds the expected bytes
    bool differs;
};

class SectorDiffersTest : public ::testing::TestWithParam<DiffCase> {};

TEST_P(SectorDiffersTest, ComparesWithImageThenErasedFlash) {
    const ImageSector sector{nullptr, 0x400, 0x800};
    std::vector<std::uint8_t> image(GetParam().imageBytes);
    for (std::size_t i = 0; i < image.size(); ++i) {
        image[i] = static_cast<std::uint8_t>(i * 7 + 1);
    }
    std::vector<std::uint8_t> device(sector.end - sector.start, 0xFF);
    for (std::size_t i = 0; i < device.size() && sector.start + i < image.size(); ++i) {
        device[i] = image[sector.start + i];
    }
    if (GetParam().changedDeviceByte != std::string::npos) {
        device[GetParam().changedDeviceByte] ^= 0x01;
    }
    EXPECT_EQ(SectorDiffers(image, sector, device), GetParam().differs);
}

INSTANTIATE_TEST_SUITE_P(
    Bytes, SectorDiffersTest,
    ::testing::Values(DiffCase{"SameAsImage", 0x800, std::string::npos, false},
                      DiffCase{"OneImageByteDiffers", 0x800, 0x3FF, true},
                      DiffCase{"ErasedTailMatches", 0x600, std::string::npos, false},
                      DiffCase{"OldDataAfterTheImageDiffers", 0x600, 0x300, true},
                      DiffCase{"ImageEndingInsideTheSector", 0x600, 0x1FF, true}),
    [](const auto& param) { return param.param.name; });

}  // namespace
}  // namespace nuvrel
