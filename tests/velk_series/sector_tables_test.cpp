// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Sector tables: templates, their placement for every chip combination, the 100-row limit.
#include <cstring>
#include <string>
#include <vector>

#include "device_test_fixture.h"

namespace velk_test {
namespace {

std::string nameOf(const SectorEntry& row) {
    return std::string(row.name);
}

int rowsInUse(const SectorEntry* table) {
    int rows = 0;
    while (rows < VELK_SECTOR_TABLE_ROWS && table[rows].name[0] != '\0') {
        ++rows;
    }
    return rows;
}

// Scripts ReadRomID for both chips: a firmware that queries (no chip named in text 2), then
// the two query replies of each chip.
void queueChips(velk::testing::RecordingBackend& device, ChipId chip0, ChipId chip1) {
    for (ChipId id : {chip0, chip1}) {
        device.queueReply(infoReply(2, 6, 9, 'm',
                                    "16MHz\x01"
                                    "none\x01"
                                    "none"));
        device.queueReply(
            {static_cast<std::uint8_t>(id >> 16), static_cast<std::uint8_t>(id >> 24)});
        device.queueReply({static_cast<std::uint8_t>(id), static_cast<std::uint8_t>(id >> 8)});
    }
}

class SectorTableTest : public DeviceTest {
  protected:
    void SetUp() override {
        DeviceTest::SetUp();
        std::memset(table_, 0x5A, sizeof table_);  // whatever the caller's memory held
    }

    bool detect(ChipId chip0, ChipId chip1, EraseHint* hint = nullptr) {
        queueChips(recorder(), chip0, chip1);
        return DetectSectorsTables(device_, table_, hint) != 0;
    }

    // Checks `count` rows from `first` against a run of equal sectors.
    void expectRun(int first, int count, const char* letters, int number, uint32_t wordAddress,
                   uint32_t size, ChipId id, uint8_t chip) {
        for (int i = 0; i < count; ++i) {
            const SectorEntry& row = table_[first + i];
            char name[8];
            std::snprintf(name, sizeof name, "%s%02d", letters, number + i);
            std::string padded = name;
            padded.resize(7, ' ');
            const uint32_t word = wordAddress + static_cast<uint32_t>(i) * (size / 2);
            EXPECT_EQ(nameOf(row), padded) << "row " << first + i;
            EXPECT_EQ(row.wordAddress, word) << "row " << first + i;
            EXPECT_EQ(row.size, size) << "row " << first + i;
            EXPECT_EQ(row.end, word * 2 + size) << "row " << first + i;
            EXPECT_EQ(row.chipId, id) << "row " << first + i;
            EXPECT_EQ(row.chipIndex, chip) << "row " << first + i;
        }
    }

    void expectSixteenMbit(int first, uint32_t wordAddress, ChipId id, uint8_t chip) {
        const uint32_t base = wordAddress;
        expectRun(first, 1, "SBB", 0, base, 16 * 1024, id, chip);
        expectRun(first + 1, 2, "SBB", 1, base + 0x2000, 8 * 1024, id, chip);
        expectRun(first + 3, 1, "SBB", 3, base + 0x4000, 32 * 1024, id, chip);
        expectRun(first + 4, 31, "SBB", 4, base + 0x8000, 64 * 1024, id, chip);
    }

    SectorTable table_;
};

TEST_F(SectorTableTest, TwoSixteenMbitChipsGiveSeventyRowsWithRepeatedNames) {
    ASSERT_TRUE(detect(0x01004922, 0x01004922));
    EXPECT_EQ(rowsInUse(table_), 70);
    expectSixteenMbit(0, 0x000000, 0x01004922, 0);
    expectSixteenMbit(35, 0x100000, 0x01004922, 1);
    EXPECT_EQ(table_[34].wordAddress, 0x0F8000u);
    EXPECT_EQ(table_[69].wordAddress, 0x1F8000u);
    EXPECT_EQ(table_[70].name[0], '\0');
    EXPECT_EQ(wire().size(), 12u) << "two information reads and four queries";
}

TEST_F(SectorTableTest, BottomBootChipAloneGivesAllSeventyOneRows) {
    ASSERT_TRUE(detect(0x0100F922, 0));
    EXPECT_EQ(rowsInUse(table_), 71);
    expectRun(0, 8, "SA", 0, 0x000000, 8 * 1024, 0x0100F922, 0);
    expectRun(8, 31, "SA", 8, 0x008000, 64 * 1024, 0x0100F922, 0);
    expectRun(39, 32, "SA", 39, 0x100000, 64 * 1024, 0x0100F922, 0);
    EXPECT_EQ(table_[70].wordAddress, 0x1F8000u);
}

TEST_F(SectorTableTest, OtherBottomBootChipHasTheSameLayout) {
    ASSERT_TRUE(detect(0x20005F22, 0));
    EXPECT_EQ(rowsInUse(table_), 71);
    expectRun(0, 8, "SA", 0, 0x000000, 8 * 1024, 0x20005F22, 0);
}

TEST_F(SectorTableTest, TopBootChipAloneEndsWithSmallSectors) {
    ASSERT_TRUE(detect(0x2000ED22, 0x00FFFFFF));
    EXPECT_EQ(rowsInUse(table_), 71);
    expectRun(0, 32, "SA", 0, 0x000000, 64 * 1024, 0x2000ED22, 0);
    expectRun(32, 31, "SA", 32, 0x100000, 64 * 1024, 0x2000ED22, 0);
    expectRun(63, 8, "SA", 63, 0x1F8000, 8 * 1024, 0x2000ED22, 0);
    EXPECT_EQ(table_[70].wordAddress, 0x1FF000u);
    EXPECT_EQ(table_[70].end, 0x400000u);
}

TEST_F(SectorTableTest, SecondChipCutsAThirtyTwoMbitChipAtTwoMiB) {
    ASSERT_TRUE(detect(0x0100F922, 0xC2004922));
    EXPECT_EQ(rowsInUse(table_), 39 + 35);
    expectRun(0, 8, "SA", 0, 0x000000, 8 * 1024, 0x0100F922, 0);
    expectRun(8, 31, "SA", 8, 0x008000, 64 * 1024, 0x0100F922, 0);
    expectSixteenMbit(39, 0x100000, 0xC2004922, 1);
}

TEST_F(SectorTableTest, UnknownAnsweringSecondChipStillCutsAThirtyTwoMbitChip) {
    Shown shown;
    SetVelkMessageHandler(remember, &shown);
    ASSERT_TRUE(detect(0x2000ED22, 0x12345678));
    EXPECT_EQ(rowsInUse(table_), 32) << "only the first 2 MiB stay; the unknown chip adds none";
    expectRun(0, 32, "SA", 0, 0x000000, 64 * 1024, 0x2000ED22, 0);
    EXPECT_EQ(shown.calls, 0) << "an unknown second chip raises no message";
}

TEST_F(SectorTableTest, TableStopsAtOneHundredRowsWithoutEndingRow) {
    ASSERT_TRUE(detect(0x2000ED22, 0x0100F922));
    EXPECT_EQ(rowsInUse(table_), 100);
    expectRun(0, 32, "SA", 0, 0x000000, 64 * 1024, 0x2000ED22, 0);
    expectRun(32, 8, "SA", 0, 0x100000, 8 * 1024, 0x0100F922, 1);
    expectRun(40, 31, "SA", 8, 0x108000, 64 * 1024, 0x0100F922, 1);
    expectRun(71, 29, "SA", 39, 0x200000, 64 * 1024, 0x0100F922, 1);
}

TEST_F(SectorTableTest, C422ChipsGetTheSameSixteenMbitRows) {
    ASSERT_TRUE(detect(0x0100C422, 0xC200C422));
    EXPECT_EQ(rowsInUse(table_), 70);
    expectSixteenMbit(0, 0x000000, 0x0100C422, 0);
    expectSixteenMbit(35, 0x100000, 0xC200C422, 1);
}

TEST_F(SectorTableTest, SixteenMbitChipWithSilentOrUnknownSecondChipKeepsItsRows) {
    ASSERT_TRUE(detect(0x01004922, 0));
    EXPECT_EQ(rowsInUse(table_), 35);
    ASSERT_TRUE(detect(0x01004922, 0x12345678)) << "an unknown second chip is no error";
    EXPECT_EQ(rowsInUse(table_), 35);
}

TEST_F(SectorTableTest, UnknownFirstChipShowsTheIdentifiersAndLeavesTheTableEmpty) {
    Shown shown;
    SetVelkMessageHandler(remember, &shown);
    EXPECT_FALSE(detect(0x12345678, 0x01004922));
    EXPECT_EQ(table_[0].name[0], '\0');
    EXPECT_EQ(shown.calls, 1);
    EXPECT_EQ(shown.caption, "Error");
    EXPECT_EQ(shown.text, "Unknown interanl chips with ID's:[12345678][01004922]");
    EXPECT_EQ(shown.icon, VELK_ICON_ERROR);
}

TEST_F(SectorTableTest, FailedQueriesReportZeroIdentifiers) {
    Shown shown;
    SetVelkMessageHandler(remember, &shown);
    for (std::size_t i = 0; i < 12; ++i) {
        recorder().failTransfer(i);
    }
    EXPECT_EQ(DetectSectorsTables(device_, table_, nullptr), 0);
    EXPECT_EQ(shown.text, "Unknown interanl chips with ID's:[00000000][00000000]");
}

TEST_F(SectorTableTest, EraseHintFollowsIdentificationAndAssociation) {
    EraseHint hint = 0;
    ASSERT_TRUE(detect(0x01004922, 0x01004922, &hint));
    EXPECT_EQ(hint, 6u) << "identified by query";

    // Both chips named in the data-bus text: no query, hint 1, kept by the 0xC2 identifiers.
    for (int i = 0; i < 2; ++i) {
        recorder().queueReply(infoReply(2, 5, 0, 'c', "16MHz\x01MX29LV160BT\x01RAM"));
    }
    recorder().clearLog();
    hint = 0;
    ASSERT_EQ(DetectSectorsTables(device_, table_, &hint), 1);
    EXPECT_EQ(hint, 1u);
    EXPECT_EQ(wire().size(), 4u);
    EXPECT_EQ(rowsInUse(table_), 70);
    EXPECT_EQ(table_[0].chipId, 0xC2004922u);
    EXPECT_EQ(table_[35].chipId, 0xC200C422u);
}

TEST(AssociateWithTable, AdjustsHintAndIdentifierPerChip) {
    SectorTable table;
    struct Case {
        ChipId id;
        EraseHint hintBefore;
        EraseHint hintAfter;
        ChipId idAfter;
        int rows;
    };
    const Case cases[] = {
        {0x0100F922, 1, 0, 0x0100F922, 71}, {0x20005F22, 6, 6, 0x20005F22, 71},
        {0x2000ED22, 3, 0, 0x2000ED22, 71}, {0x01004922, 1, 0, 0, 35},
        {0x0100C422, 6, 6, 0, 35},          {0xC2004922, 1, 1, 0, 35},
        {0xC200C422, 3, 3, 0, 35},
    };
    for (const Case& c : cases) {
        table[0].name[0] = '\0';
        ChipId id = c.id;
        EraseHint hint = c.hintBefore;
        EXPECT_EQ(AssociateWithTable(&id, table, 0, &hint), 1) << std::hex << c.id;
        EXPECT_EQ(hint, c.hintAfter) << std::hex << c.id;
        EXPECT_EQ(id, c.idAfter) << std::hex << c.id;
        EXPECT_EQ(rowsInUse(table), c.rows) << std::hex << c.id;
        EXPECT_EQ(table[0].chipId, c.id);
    }
}

TEST(AssociateWithTable, UnknownChipBecomesTheMarkerAndAddsNothing) {
    SectorTable table;
    table[0].name[0] = '\0';
    ChipId id = 0x0BADC0DE;
    EraseHint hint = 1;
    EXPECT_EQ(AssociateWithTable(&id, table, 0, &hint), 0);
    EXPECT_EQ(id, VELK_UNKNOWN_CHIP);
    EXPECT_EQ(hint, 1u);
    EXPECT_EQ(table[0].name[0], '\0');
    id = 0x01004922;
    EXPECT_EQ(AssociateWithTable(&id, table, 1, nullptr), 1) << "a null hint is allowed";
}

TEST(AddToTable, CopiesOnlyEightNameBytesAndTheChipIndexByte) {
    SectorTable table;
    std::memset(table, 0xEE, sizeof table);
    table[0].name[0] = '\0';
    SectorEntry templateRows[2] = {};
    std::strcpy(templateRows[0].name, "AB     ");
    std::memcpy(templateRows[0].name + 8, "tail", 4);  // must not be copied
    templateRows[0].wordAddress = 0x1234;
    templateRows[0].end = 0x2468 + 0x100;
    templateRows[0].size = 0x100;
    templateRows[0].chipIndex = 9;

    EXPECT_EQ(AddToTable(table, templateRows, 0xCAFE, 1), 1);
    EXPECT_STREQ(table[0].name, "AB     ");
    EXPECT_EQ(static_cast<uint8_t>(table[0].name[8]), 0xEE);
    EXPECT_EQ(table[0].wordAddress, 0x1234u) << "row 0 takes the template's address";
    EXPECT_EQ(table[0].chipId, 0xCAFEu);
    EXPECT_EQ(table[0].chipIndex, 1);
    EXPECT_EQ(table[0].reserved[0], 0xEE);
    EXPECT_EQ(table[1].name[0], '\0');
    EXPECT_EQ(table[1].wordAddress, 0x1234u + 0x80) << "the ending row follows on";

    // Appended rows follow the row before them, not the template.
    EXPECT_EQ(AddToTable(table, templateRows, 0xBEEF, 0), 2);
    EXPECT_EQ(table[1].wordAddress, 0x1234u + 0x80);
    EXPECT_EQ(table[1].end, 0x2468u + 0x200);
}

TEST(AddToTable, FullTableIsLeftAlone) {
    SectorTable table;
    for (SectorEntry& row : table) {
        std::strcpy(row.name, "X");
    }
    SectorEntry templateRows[2] = {};
    std::strcpy(templateRows[0].name, "Y");
    EXPECT_EQ(AddToTable(table, templateRows, 1, 0), 100);
    EXPECT_STREQ(table[99].name, "X");
}

}  // namespace
}  // namespace velk_test
