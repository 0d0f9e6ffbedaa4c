// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "genesis/sector_walk.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>

namespace nuvrel {
namespace {

// Rows of 8 words each, named R00, R01, ...; `used` rows then an ending row (when it fits).
void FillTable(SectorEntry* table, std::size_t used) {
    std::memset(table, 0, sizeof(SectorEntry) * VELK_SECTOR_TABLE_ROWS);
    for (std::size_t i = 0; i < VELK_SECTOR_TABLE_ROWS && i <= used; ++i) {
        if (i < used) {
            std::snprintf(table[i].name, sizeof table[i].name, "R%02zu    ", i);
        }
        table[i].wordAddress = static_cast<std::uint32_t>(8 * i);
    }
}

TEST(SectorWalk, RecognisesEachStartInTurnAndOnlyAtTheCurrentRow) {
    SectorTable table;
    FillTable(table, 3);
    SectorWalk walk(table);
    EXPECT_EQ(walk.startsAt(8), nullptr);  // row 1 is not current yet
    const SectorEntry* first = walk.startsAt(0);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(SectorName(*first), "R00    ");
    EXPECT_EQ(walk.startsAt(0), nullptr);  // moved on
    EXPECT_EQ(walk.startsAt(4), nullptr);
    ASSERT_NE(walk.startsAt(8), nullptr);
}

TEST(SectorWalk, EndingRowCountsAsOneMoreStartWithAnEmptyName) {
    SectorTable table;
    FillTable(table, 2);
    SectorWalk walk(table);
    ASSERT_NE(walk.startsAt(0), nullptr);
    ASSERT_NE(walk.startsAt(8), nullptr);
    const SectorEntry* ending = walk.startsAt(16);
    ASSERT_NE(ending, nullptr);
    EXPECT_EQ(SectorName(*ending), "");
    // Nothing after the ending row is a sector start, even where the stale rows would say so.
    table[3].wordAddress = 24;
    std::strcpy(table[3].name, "STALE  ");
    EXPECT_EQ(walk.startsAt(24), nullptr);
}

TEST(SectorWalk, FullTableWithoutEndingRowStopsAfterItsLastRow) {
    SectorTable table;
    FillTable(table, VELK_SECTOR_TABLE_ROWS);
    SectorWalk walk(table);
    for (std::uint32_t i = 0; i < VELK_SECTOR_TABLE_ROWS; ++i) {
        ASSERT_NE(walk.startsAt(8 * i), nullptr) << "row " << i;
    }
    EXPECT_EQ(walk.startsAt(8 * VELK_SECTOR_TABLE_ROWS), nullptr);
    EXPECT_EQ(walk.startsAt(8 * (VELK_SECTOR_TABLE_ROWS - 1)), nullptr);
}

}  // namespace
}  // namespace nuvrel
