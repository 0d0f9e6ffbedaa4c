// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// EraseSector with its status poll, ReadSector, WriteSector and WriteRamSector on the wire.
#include <chrono>
#include <numeric>
#include <vector>

#include "device_test_fixture.h"
#include "testing/testing_hooks.h"

namespace velk_test {
namespace {

class FlashTest : public DeviceTest {
  protected:
    void SetUp() override {
        DeviceTest::SetUp();
        velk::setPollSleepForTesting([this](std::chrono::milliseconds wait) {
            ++sleeps_;
            slept_ += wait;
        });
    }

    int sleeps_ = 0;
    std::chrono::milliseconds slept_{0};
};

TEST_F(FlashTest, EraseWithoutWaitingReturnsAfterTheFirstReply) {
    recorder().queueReply({0, 0, 0});
    EXPECT_EQ(EraseSector(device_, 0x100555, 0, 0x10), 1);
    ASSERT_EQ(wire().size(), 2u);
    expectOut(0, perCallBlock({0x45, 0x10, 0x05, 0x55, 0x10}));
    expectIn(1, 3);
    EXPECT_EQ(sleeps_, 0);
}

TEST_F(FlashTest, EraseFinishedAtOnceNeedsNoPoll) {
    recorder().queueReply({0, 0, 1});
    EXPECT_EQ(EraseSector(device_, 0x008000, 1, 0x00), 1);
    EXPECT_EQ(wire().size(), 2u);
    EXPECT_EQ(sleeps_, 0);
}

TEST_F(FlashTest, ErasePollCarriesTheLastReadSectorCount) {
    std::vector<std::uint8_t> data(192);
    recorder().queueReply(std::vector<std::uint8_t>(192, 0xAB));
    ASSERT_EQ(ReadSector(device_, data.data(), 0x80, 3), 1);
    recorder().clearLog();

    recorder().queueReply({0, 0, 0});
    recorder().queueReply({0, 0, 0, 0, 0});
    recorder().queueReply({0, 0, 0, 0, 1});
    EXPECT_EQ(EraseSector(device_, 0x000555, 1, 0x10), 1);
    ASSERT_EQ(wire().size(), 6u);
    expectOut(0, perCallBlock({0x45, 0x00, 0x05, 0x55, 0x10}));
    expectOut(2, sharedBlock({0x43, 0x00, 0x05, 0x55, 0x03}));
    expectIn(3, 5);
    expectOut(4, sharedBlock({0x43, 0x00, 0x05, 0x55, 0x03}));
    EXPECT_EQ(sleeps_, 2);
    EXPECT_EQ(slept_, std::chrono::milliseconds(200)) << "100 ms before each poll";
}

TEST_F(FlashTest, ErasePollWithoutEarlierReadCarriesZeroCount) {
    recorder().queueReply({0, 0, 0});
    recorder().queueReply({0, 0, 0, 0, 1});
    EXPECT_EQ(EraseSector(device_, 0x123456, 1, 0x00), 1);
    expectOut(0, perCallBlock({0x45, 0x12, 0x34, 0x56, 0x00}));
    expectOut(2, sharedBlock({0x43, 0x12, 0x34, 0x56, 0x00}));
}

TEST_F(FlashTest, EraseGivesUpAfter800PollsAndLeavesTheBusyFlagSet) {
    recorder().queueReply({0, 0, 0});
    for (int i = 0; i < 801; ++i) {
        recorder().queueReply({0, 0, 0, 0, 0});
    }
    SetVelkDeviceProcessed(1);
    EXPECT_EQ(EraseSector(device_, 0x000555, 1, 0x10), 0);
    EXPECT_EQ(sleeps_, 800);
    EXPECT_EQ(wire().size(), 2u + 2u * 800u);
    EXPECT_EQ(IsVelkDeviceProcessed(), 1);
}

TEST_F(FlashTest, FailedPollClearsBusyAndStopsPolling) {
    recorder().queueReply({0, 0, 0});
    recorder().queueReply({0, 0, 0, 0, 0});
    recorder().failTransfer(5);
    SetVelkDeviceProcessed(1);
    EXPECT_EQ(EraseSector(device_, 0x000555, 1, 0x10), 0);
    EXPECT_EQ(wire().size(), 6u);
    EXPECT_EQ(IsVelkDeviceProcessed(), 0);
}

TEST_F(FlashTest, ReadSectorUsesTheTransferBlockAndFillsTheBuffer) {
    std::vector<std::uint8_t> cartridge(192);
    std::iota(cartridge.begin(), cartridge.end(), std::uint8_t{0});
    recorder().queueReply(cartridge);
    std::vector<std::uint8_t> buffer(192, 0xEE);
    EXPECT_EQ(ReadSector(device_, buffer.data(), 0x80, 3), 1);
    ASSERT_EQ(wire().size(), 2u);
    expectOut(0, sharedBlock({0x52, 0x00, 0x00, 0x80, 0x03}));
    expectIn(1, 192);
    EXPECT_EQ(buffer, cartridge);
}

TEST_F(FlashTest, ShortReadSectorReplyIsAFailure) {
    recorder().queueReply(std::vector<std::uint8_t>(1000, 0x11));
    std::vector<std::uint8_t> buffer(1024);
    SetVelkDeviceProcessed(1);
    EXPECT_EQ(ReadSector(device_, buffer.data(), 0x100000, 16), 0);
    EXPECT_EQ(IsVelkDeviceProcessed(), 0);
}

TEST_F(FlashTest, ReadSectorCountZeroSendsOnlyTheBlock) {
    EXPECT_EQ(ReadSector(device_, nullptr, 0x90, 0), 1);
    ASSERT_EQ(wire().size(), 1u);
    expectOut(0, sharedBlock({0x52, 0x00, 0x00, 0x90, 0x00}));
}

TEST_F(FlashTest, WriteSectorSendsBlockAndExactly512BytesAndReceivesNothing) {
    std::vector<std::uint8_t> data(512);
    std::iota(data.begin(), data.end(), std::uint8_t{7});
    EXPECT_EQ(WriteSector(device_, data.data(), 0x0ABCDE, 8), 1);
    ASSERT_EQ(wire().size(), 2u);
    expectOut(0, perCallBlock({0x57, 0x0A, 0xBC, 0xDE, 0x08, 0x01}));
    expectOut(1, data);
}

TEST_F(FlashTest, WriteRamSectorUsesItsOwnCode) {
    std::vector<std::uint8_t> data(256, 0x42);
    EXPECT_EQ(WriteRamSector(device_, data.data(), 0x100080, 4), 1);
    ASSERT_EQ(wire().size(), 2u);
    expectOut(0, perCallBlock({0x55, 0x10, 0x00, 0x80, 0x04, 0x01}));
    expectOut(1, data);
}

TEST_F(FlashTest, WriteWithoutDataSendsNothingAndFails) {
    SetVelkDeviceProcessed(1);
    EXPECT_EQ(WriteSector(device_, nullptr, 0x100, 8), 0);
    EXPECT_EQ(IsVelkDeviceProcessed(), 0);
    SetVelkDeviceProcessed(1);
    EXPECT_EQ(WriteRamSector(device_, nullptr, 0x100000, 4), 0);
    EXPECT_EQ(IsVelkDeviceProcessed(), 0);
    EXPECT_TRUE(wire().empty()) << "no block may announce data that cannot follow";
}

TEST_F(FlashTest, WriteCountZeroSendsNoDataPhase) {
    EXPECT_EQ(WriteSector(device_, nullptr, 0, 0), 1);
    EXPECT_EQ(wire().size(), 1u);
}

}  // namespace
}  // namespace velk_test
