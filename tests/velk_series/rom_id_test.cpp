// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// ReadRomID: the chip type from the data-bus text, or two queries to the chip.
#include "device_test_fixture.h"

namespace velk_test {
namespace {

using ReadRomIdTest = DeviceTest;

TEST_F(ReadRomIdTest, TextChipNeedsNoQuery) {
    recorder().queueReply(infoReply(2, 6, 9, 'c', "16MHz\x01MX29LV160TB\x01RAM"));
    EraseHint hint = 0;
    EXPECT_EQ(ReadRomID(device_, 0, &hint), 0xC200C422u);
    EXPECT_EQ(hint, 1u);
    EXPECT_EQ(wire().size(), 2u) << "only the information exchange";

    recorder().queueReply(infoReply(2, 6, 9, 'c', "16MHz\x01MX29LV160TB\x01RAM"));
    hint = 0;
    EXPECT_EQ(ReadRomID(device_, 1, &hint), 0xC2004922u);
    EXPECT_EQ(hint, 1u);
    EXPECT_EQ(wire().size(), 4u);
}

TEST_F(ReadRomIdTest, TextChipWithOtherTypeLetterIsUnknown) {
    recorder().queueReply(infoReply(2, 6, 9, 'c', "16MHz\x01MX29LV160XB"));
    EraseHint hint = 0;
    EXPECT_EQ(ReadRomID(device_, 0, &hint), 0u);
    EXPECT_EQ(hint, 6u) << "the version rule still applies";
    EXPECT_EQ(wire().size(), 2u);

    recorder().queueReply(infoReply(2, 5, 0, 'c', "16MHz\x01MX29LV160X"));
    hint = 3;
    EXPECT_EQ(ReadRomID(device_, 1, &hint), 0u);
    EXPECT_EQ(hint, 3u);
}

TEST_F(ReadRomIdTest, QueriesManufacturerThenDeviceWord) {
    recorder().queueReply(infoReply(2, 5, 0, 'e',
                                    "16MHz\x01"
                                    "AM29LV320"));
    recorder().queueReply({0x00, 0xC2, 0xEE});
    recorder().queueReply({0x22, 0x49});
    EraseHint hint = 0;
    EXPECT_EQ(ReadRomID(device_, 1, &hint), 0xC2004922u);
    EXPECT_EQ(hint, 6u);
    ASSERT_EQ(wire().size(), 6u);
    expectOut(0, dataBusInfoBlock());
    expectOut(2, perCallBlock({0x4C, 0x10, 0x00}));
    expectIn(3, 64);
    expectOut(4, perCallBlock({0x4C, 0x10, 0x01}));
    expectIn(5, 64);
}

TEST_F(ReadRomIdTest, ChipZeroQueryAndAnyOtherChipValueMeansChipZero) {
    recorder().queueReply(infoReply(2, 6, 9, 'e'));
    recorder().queueReply({0x01, 0x00});
    recorder().queueReply({0x22, 0xF9});
    EXPECT_EQ(ReadRomID(device_, 7, nullptr), 0x0001F922u);
    expectOut(2, perCallBlock({0x4C, 0x00, 0x00}));
    expectOut(4, perCallBlock({0x4C, 0x00, 0x01}));
}

TEST_F(ReadRomIdTest, FailedInformationReadStillCountsAsNewFirmware) {
    recorder().failTransfer(1);
    recorder().queueReply({0x20, 0x00});
    recorder().queueReply({0x22, 0xED});
    EraseHint hint = 0;
    EXPECT_EQ(ReadRomID(device_, 0, &hint), 0x0020ED22u);
    EXPECT_EQ(hint, 6u);
}

TEST_F(ReadRomIdTest, FailedQueryReturnsZeroAndClearsBusy) {
    recorder().queueReply(infoReply(2, 5, 0, 'e'));
    recorder().queueReply({0x00, 0xC2});
    recorder().failTransfer(5);
    SetVelkDeviceProcessed(1);
    EraseHint hint = 0;
    EXPECT_EQ(ReadRomID(device_, 0, &hint), 0u);
    EXPECT_EQ(IsVelkDeviceProcessed(), 0);
    EXPECT_EQ(hint, 0u) << "no chip was identified";
}

}  // namespace
}  // namespace velk_test
