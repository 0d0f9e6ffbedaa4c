// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// ReadFileName and WriteFileName share one block.
#include <cstring>
#include <string>

#include "device_test_fixture.h"

namespace velk_test {
namespace {

Bytes fileNameBlock(std::uint8_t code, std::uint8_t slot) {
    return sharedBlock({code, slot, 0, 0, 0, 0, 4, 5, 6, 7, 8, 0, 0, 0, 0});
}

using FileNameTest = DeviceTest;

TEST_F(FileNameTest, ReadZeroesTheBufferAndReceives64Bytes) {
    recorder().queueReply({'S', 'O', 'N', 'I', 'C'});
    char buffer[64];
    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(ReadFileName(device_, buffer, 2), 1);
    ASSERT_EQ(wire().size(), 2u);
    expectOut(0, fileNameBlock(0x47, 2));
    expectIn(1, 64);
    EXPECT_STREQ(buffer, "SONIC");
    EXPECT_EQ(buffer[63], 0) << "bytes beyond the reply must be zero";
}

TEST_F(FileNameTest, WriteSendsTheNameAndItsTerminatingZero) {
    char name[64] = "Sonic.bin";
    EXPECT_EQ(WriteFileName(device_, name, 0), 1);
    ASSERT_EQ(wire().size(), 2u);
    expectOut(0, fileNameBlock(0x50, 0));
    expectOut(1, Bytes{'S', 'o', 'n', 'i', 'c', '.', 'b', 'i', 'n', 0});
}

TEST_F(FileNameTest, LongNameIsCutTo63CharactersInTheCallersBuffer) {
    char name[80];
    std::memset(name, 'n', 70);
    name[70] = '\0';
    EXPECT_EQ(WriteFileName(device_, name, 1), 1);
    ASSERT_EQ(wire().size(), 2u);
    Bytes expected(63, 'n');
    expected.push_back(0);
    expectOut(1, expected);
    EXPECT_EQ(name[63], 0);
}

TEST_F(FileNameTest, InvalidSlotSendsNothing) {
    SetVelkDeviceProcessed(1);
    char buffer[64] = "keep";
    EXPECT_EQ(ReadFileName(device_, buffer, 3), 0);
    EXPECT_EQ(IsVelkDeviceProcessed(), 0);
    EXPECT_STREQ(buffer, "keep");
    SetVelkDeviceProcessed(1);
    EXPECT_EQ(WriteFileName(device_, buffer, 200), 0);
    EXPECT_EQ(IsVelkDeviceProcessed(), 0);
    EXPECT_TRUE(wire().empty());
}

}  // namespace
}  // namespace velk_test
