// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Bootloader, BootPage, BootNextPage and CalcCRC, with the boot block shared between them.
#include <string>
#include <vector>

#include "device_test_fixture.h"

namespace velk_test {
namespace {

// The boot block from byte 16 on, as it stands at load.
Bytes bootBlockWith(std::uint8_t b16, std::uint8_t b17, std::uint8_t b18, std::uint8_t b20 = 0,
                    std::uint8_t b21 = 0) {
    return sharedBlock(
        {b16, b17, b18, 0x00, b20, b21, 0x00, 0x04, 0x05, 0x06, 0x07, 0x08, 0x00, 0x00, 0x00});
}

using BootLoaderTest = DeviceTest;

TEST_F(BootLoaderTest, FlagZeroSpaceModeSendsNothing) {
    SetVelkDeviceProcessed(1);
    EXPECT_EQ(Bootloader(device_, 0, 0x20), 1);
    EXPECT_TRUE(wire().empty());
    EXPECT_EQ(IsVelkDeviceProcessed(), 1);
}

TEST_F(BootLoaderTest, SpaceModeSetsOnlyByte16AndExpectsNoReply) {
    EXPECT_EQ(Bootloader(device_, 1, 0x20), 1);
    ASSERT_EQ(wire().size(), 1u);
    expectOut(0, bootBlockWith(0x42, 0xA2, 0xA2));
}

TEST_F(BootLoaderTest, AtModeAsksAndChecksTheAnswer) {
    recorder().queueReply({0x42});
    EXPECT_EQ(Bootloader(device_, 1, 0x40), 1);
    ASSERT_EQ(wire().size(), 2u);
    expectOut(0, bootBlockWith(0x56, 0x52, 0x42));
    expectIn(1, 10);

    recorder().queueReply({0x41});
    SetVelkDeviceProcessed(1);
    EXPECT_EQ(Bootloader(device_, 1, 0x40), 0);
    EXPECT_EQ(IsVelkDeviceProcessed(), 0);

    // Bytes 17 and 18 keep what the last command left there.
    EXPECT_EQ(Bootloader(device_, 1, 0x20), 1);
    expectOut(4, bootBlockWith(0x42, 0x52, 0x42));
}

TEST_F(BootLoaderTest, FlagZeroAtModeExchangesButFails) {
    recorder().queueReply({0x42});
    SetVelkDeviceProcessed(1);
    EXPECT_EQ(Bootloader(device_, 0, 0x40), 0);
    ASSERT_EQ(wire().size(), 2u);
    expectOut(0, bootBlockWith(0x56, 0x52, 0x52));
    EXPECT_EQ(IsVelkDeviceProcessed(), 0);
}

TEST_F(BootLoaderTest, OtherModesSendNothingAndFail) {
    SetVelkDeviceProcessed(1);
    EXPECT_EQ(Bootloader(device_, 1, 'x'), 0);
    EXPECT_TRUE(wire().empty());
    EXPECT_EQ(IsVelkDeviceProcessed(), 0);
}

TEST_F(BootLoaderTest, BootPageSendsPageTimes64AndAlwaysFails) {
    recorder().queueReply({1, 2, 3, 4});
    SetVelkDeviceProcessed(1);
    EXPECT_EQ(BootPage(device_, 5, 0xDEAD), 0);
    ASSERT_EQ(wire().size(), 2u);
    expectOut(0, bootBlockWith(0x56, 0x2A, 0x2A, 0x40, 0x01));
    expectIn(1, 4);
    EXPECT_EQ(IsVelkDeviceProcessed(), 0);
}

TEST_F(BootLoaderTest, BootNextPageWithMatchingChecksumSendsTheFollowUpBlock) {
    const std::vector<std::uint8_t> page(64, 0x00);
    recorder().queueReply({0x00});
    recorder().queueReply({0x00});
    SetVelkDeviceProcessed(1);
    EXPECT_EQ(BootNextPage(device_, page.data()), 0);
    ASSERT_EQ(wire().size(), 5u);
    expectOut(0, bootBlockWith(0x56, 0x25, 0x25));
    expectOut(1, page);
    expectIn(2, 10);
    expectOut(3, bootBlockWith(0x56, 0xA2, 0xA2, 0x00, 0xAC));
    expectIn(4, 10);
    EXPECT_EQ(IsVelkDeviceProcessed(), 0);

    // 00 AC stays in bytes 20-21 until the next BootPage.
    recorder().queueReply({0x77});
    BootNextPage(device_, page.data());
    expectOut(5, bootBlockWith(0x56, 0x25, 0x25, 0x00, 0xAC));
    recorder().queueReply({0});
    BootPage(device_, 1, 0);
    expectOut(8, bootBlockWith(0x56, 0x2A, 0x2A, 0x40, 0x00));
}

TEST_F(BootLoaderTest, BootNextPageWithWrongChecksumSendsNothingMore) {
    std::vector<std::uint8_t> page(64, 0x00);
    page[10] = 0x5A;
    recorder().queueReply({0x00});
    EXPECT_EQ(BootNextPage(device_, page.data()), 0);
    EXPECT_EQ(wire().size(), 3u);

    recorder().queueReply({});  // an empty reply confirms nothing
    const std::vector<std::uint8_t> zeros(64, 0x00);
    EXPECT_EQ(BootNextPage(device_, zeros.data()), 0);
    EXPECT_EQ(wire().size(), 6u);
}

TEST(CalcCRC, IsTheExclusiveOrOfTheBytes) {
    const std::string abc = "abc";
    EXPECT_EQ(CalcCRC(reinterpret_cast<const uint8_t*>(abc.data()), 3), 0x60);
    const std::vector<std::uint8_t> ones(64, 0xFF);
    EXPECT_EQ(CalcCRC(ones.data(), 64), 0x00);
    EXPECT_EQ(CalcCRC(ones.data(), 63), 0xFF);
    EXPECT_EQ(CalcCRC(ones.data(), 0), 0x00);
}

TEST(AddHEX2DXF, DoesNothingAndSucceeds) {
    velk::testing::RecorderSession session;
    EXPECT_EQ(AddHEX2DXF(1, 2), 1);
    EXPECT_EQ(session.device().enumerations(), 0);
}

}  // namespace
}  // namespace velk_test
