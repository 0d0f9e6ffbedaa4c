// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// ReadErasingCount: read, store and the reset of a counter that was never written.
#include "device_test_fixture.h"

namespace velk_test {
namespace {

Bytes eraseCountBlock(std::uint8_t mode, std::uint32_t counter) {
    return sharedBlock({0x22, 0xA0, mode, static_cast<std::uint8_t>(counter),
                        static_cast<std::uint8_t>(counter >> 8),
                        static_cast<std::uint8_t>(counter >> 16),
                        static_cast<std::uint8_t>(counter >> 24), 0, 1, 2, 3, 4, 5, 6, 7});
}

using ReadErasingCountTest = DeviceTest;

TEST_F(ReadErasingCountTest, ReadSendsTheCallersCounterAndTakesFourReplyBytes) {
    recorder().queueReply({0x2A, 0x01, 0x00, 0x00, 0x99, 0x99});
    uint32_t counter = 0x01020304;
    EXPECT_EQ(ReadErasingCount(device_, &counter, 0), 1);
    EXPECT_EQ(counter, 0x12Au);
    ASSERT_EQ(wire().size(), 2u);
    expectOut(0, eraseCountBlock(0, 0x01020304));
    expectIn(1, 10);
}

TEST_F(ReadErasingCountTest, StoreSendsTheCounterAndReadsFourBytes) {
    recorder().queueReply({0, 0, 0, 0});
    uint32_t counter = 0x0A0B0C0D;
    EXPECT_EQ(ReadErasingCount(device_, &counter, 1), 1);
    EXPECT_EQ(counter, 0x0A0B0C0Du);
    ASSERT_EQ(wire().size(), 2u);
    expectOut(0, eraseCountBlock(1, 0x0A0B0C0D));
    expectIn(1, 4);
}

TEST_F(ReadErasingCountTest, NeverWrittenCounterIsResetToZeroAndReadAgain) {
    recorder().queueReply({0xFF, 0xFF, 0xFF, 0xFF});
    recorder().queueReply({0, 0, 0, 0});
    recorder().queueReply({0x05, 0, 0, 0});
    uint32_t counter = 0;
    EXPECT_EQ(ReadErasingCount(device_, &counter, 0), 1);
    EXPECT_EQ(counter, 5u);
    ASSERT_EQ(wire().size(), 6u);
    expectOut(2, eraseCountBlock(1, 0));
    expectIn(3, 4);
    expectOut(4, eraseCountBlock(0, 0));
    expectIn(5, 10);
}

TEST_F(ReadErasingCountTest, CounterThatStaysUnwrittenGivesUpAfterThreeResets) {
    for (int i = 0; i < 20; ++i) {
        recorder().queueReply({0xFF, 0xFF, 0xFF, 0xFF});
    }
    SetVelkDeviceProcessed(1);
    uint32_t counter = 0;
    EXPECT_EQ(ReadErasingCount(device_, &counter, 0), 0);
    EXPECT_EQ(counter, 0u);
    EXPECT_EQ(IsVelkDeviceProcessed(), 0);
    EXPECT_EQ(wire().size(), 2u + 3u * 4u);
}

TEST_F(ReadErasingCountTest, ReplyTooShortForTheCounterFailsAndKeepsTheCounter) {
    recorder().queueReply({0x2A, 0x01});
    SetVelkDeviceProcessed(1);
    uint32_t counter = 0x77;
    EXPECT_EQ(ReadErasingCount(device_, &counter, 0), 0);
    EXPECT_EQ(counter, 0x77u);
    EXPECT_EQ(IsVelkDeviceProcessed(), 0);
    EXPECT_EQ(wire().size(), 2u);
}

TEST_F(ReadErasingCountTest, OtherModeSendsNothing) {
    SetVelkDeviceProcessed(1);
    uint32_t counter = 3;
    EXPECT_EQ(ReadErasingCount(device_, &counter, 2), 0);
    EXPECT_TRUE(wire().empty());
    EXPECT_EQ(IsVelkDeviceProcessed(), 0);
}

TEST_F(ReadErasingCountTest, FailedResetStoreFails) {
    recorder().queueReply({0xFF, 0xFF, 0xFF, 0xFF});
    recorder().failTransfer(2);
    uint32_t counter = 0;
    EXPECT_EQ(ReadErasingCount(device_, &counter, 0), 0);
    EXPECT_EQ(wire().size(), 3u);
}

}  // namespace
}  // namespace velk_test
