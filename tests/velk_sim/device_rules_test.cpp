// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// What the virtual device refuses or flags: the mistakes a host program could make that would
// hurt a real cartridge. Driven through the library's raw transfers where the command exports
// would never send such bytes.
#include <array>
#include <string>

#include "sim_fixture.h"
#include "transport/virtual_device_protocol.h"

namespace velksim_test {
namespace {

using velksim::DeviceConfig;

Bytes block(std::uint8_t flags, std::initializer_list<std::uint8_t> fromByte16) {
    Bytes b(31, 0);
    b[0] = 'U';
    b[1] = 'S';
    b[2] = 'B';
    b[3] = 'C';
    b[12] = flags;
    b[15] = 0x67;
    std::size_t at = 16;
    for (std::uint8_t value : fromByte16) {
        b[at++] = value;
    }
    return b;
}

bool send(DeviceHandle device, const Bytes& bytes) {
    std::uint32_t sent = 0;
    return Write(device, bytes.data(), static_cast<std::uint32_t>(bytes.size()), &sent, nullptr) !=
               0 &&
           sent == bytes.size();
}

bool hasError(const velksim::SimServer& sim, const std::string& part) {
    for (const auto& error : sim.protocolErrors()) {
        if (error.find(part) != std::string::npos) {
            return true;
        }
    }
    return false;
}

class DeviceRules : public SimTest {};

TEST_F(DeviceRules, ChipEraseAtAWrongAddressErasesNothing) {
    plugIn();
    const Bytes zeros(512, 0);
    ASSERT_TRUE(EraseSector(device(), 0, 1, VELK_ERASE_SECTOR));
    ASSERT_TRUE(WriteSector(device(), zeros.data(), 0, 8));
    EraseSector(device(), 0x000556, 1, VELK_ERASE_CHIP);
    EXPECT_EQ(sim().romBytes(0, 512), zeros);
    EXPECT_EQ(sim().chipEraseCount(0), 0u);
    EXPECT_TRUE(hasError(sim(), "command address"));
}

TEST_F(DeviceRules, SecondChipCommandAddressOnASingleLargeChipErasesItAgain) {
    plugIn();  // one 32-Mbit chip spanning both halves
    ASSERT_TRUE(EraseSector(device(), VELK_CHIP0_COMMAND_ADDRESS, 1, VELK_ERASE_CHIP));
    const Bytes zeros(512, 0);
    ASSERT_TRUE(WriteSector(device(), zeros.data(), 0x100000, 8));
    ASSERT_TRUE(EraseSector(device(), VELK_CHIP1_COMMAND_ADDRESS, 1, VELK_ERASE_CHIP));
    EXPECT_EQ(sim().chipEraseCount(0), 2u);
    EXPECT_EQ(sim().romBytes(0x200000, 512), Bytes(512, 0xFF));
    EXPECT_TRUE(sim().protocolErrors().empty());
}

TEST_F(DeviceRules, WritingWhileAnEraseRunsIsIgnored) {
    DeviceConfig config;
    config.erasePolls = 2;
    plugIn(config);
    ASSERT_TRUE(EraseSector(device(), 0, 0, VELK_ERASE_SECTOR));  // no wait
    const Bytes zeros(512, 0);
    ASSERT_TRUE(WriteSector(device(), zeros.data(), 0, 8));
    sim().finishPendingErases();
    EXPECT_EQ(sim().romBytes(0, 512), Bytes(512, 0xFF));
    EXPECT_TRUE(hasError(sim(), "while the chip is erasing"));
}

TEST_F(DeviceRules, ReadingAChipThatIsStillErasingShowsStatusNotTheOldData) {
    DeviceConfig config;
    config.chips = {velksim::kChip16MbitA, velksim::kChip16MbitA};
    config.erasePolls = 3;
    plugIn(config);
    const Bytes data = pattern(64, 9);
    ASSERT_TRUE(WriteSector(device(), data.data(), 0, 1));
    ASSERT_TRUE(WriteSector(device(), data.data(), 0x100000, 1));
    ASSERT_TRUE(EraseSector(device(), 0, 0, VELK_ERASE_SECTOR));  // no wait

    // A verify that does not wait for the erase must not find the old bytes still there.
    Bytes back(64);
    ASSERT_TRUE(ReadSector(device(), back.data(), 0, 1));
    EXPECT_NE(back, data);
    for (std::size_t i = 0; i < back.size(); ++i) {
        ASSERT_EQ(back[i] & 0x80, 0) << "byte " << i << " reads as data, not as erase status";
    }
    EXPECT_NE(back[0], back[2]);  // the toggle bit changes from one word to the next
    EXPECT_TRUE(hasError(sim(), "while the chip is erasing"));

    // The other chip is not erasing and answers with its cells.
    ASSERT_TRUE(ReadSector(device(), back.data(), 0x100000, 1));
    EXPECT_EQ(back, data);

    sim().finishPendingErases();
    ASSERT_TRUE(ReadSector(device(), back.data(), 0, 1));
    EXPECT_EQ(back, Bytes(64, 0xFF));
}

TEST_F(DeviceRules, ReadingWithNoReplyPendingFailsInsteadOfHanging) {
    plugIn();
    std::array<std::uint8_t, 64> buffer{};
    std::uint32_t got = 0;
    SetVelkDeviceProcessed(1);
    EXPECT_EQ(Read(device(), buffer.data(), 64, &got, nullptr), 0);
    EXPECT_TRUE(hasError(sim(), "none is pending"));
    // The device is still usable afterwards.
    DeviceInfoRecord record;
    EXPECT_TRUE(ReadDeviceInfo(device(), &record, VELK_SELECTOR_DATA_BUS));
}

TEST_F(DeviceRules, DataPhaseIsTakenWhateverFollowsTheWriteBlock) {
    plugIn();
    ASSERT_TRUE(EraseSector(device(), 0, 1, VELK_ERASE_SECTOR));
    // A write block for one unit, then (wrongly) another command block instead of the data.
    ASSERT_TRUE(send(device(), block(0x01, {0x57, 0, 0, 0, 1, 1})));
    ASSERT_TRUE(send(device(), block(0x01, {0x24, 0x80})));
    Bytes expected = block(0x01, {0x24, 0x80});
    expected.resize(64, 0xFF);  // 33 bytes still awaited: untouched
    EXPECT_EQ(sim().romBytes(0, 64), expected);
    EXPECT_TRUE(hasError(sim(), "data phase"));
}

TEST_F(DeviceRules, TransfersThatAreNotBlocksAreFlaggedAndIgnored) {
    plugIn();
    ASSERT_TRUE(send(device(), Bytes{'U', 'S', 'B', 'C', 1, 2, 3}));
    EXPECT_TRUE(hasError(sim(), "neither a command block"));
    ASSERT_TRUE(send(device(), block(0x01, {0x99})));
    EXPECT_TRUE(hasError(sim(), "unknown command code 0x99"));
}

TEST_F(DeviceRules, ReplyLeftUncollectedIsFlagged) {
    plugIn();
    ASSERT_TRUE(send(device(), block(0x01, {0x24, 0x80})));
    ASSERT_TRUE(send(device(), block(0x01, {0x24, 0x80})));
    EXPECT_TRUE(hasError(sim(), "never collected"));
}

TEST_F(DeviceRules, EraseThatNeverFinishesMakesTheLibraryGiveUp) {
    DeviceConfig config;
    config.faults.eraseNeverFinishes = true;
    plugIn(config);
    SetVelkDeviceProcessed(1);
    EXPECT_FALSE(EraseSector(device(), 0x555, 1, VELK_ERASE_CHIP));
    EXPECT_EQ(IsVelkDeviceProcessed(), 1);  // the poll ran out; nothing failed on the wire
    EXPECT_EQ(sim().chipEraseCount(0), 0u);
    SetVelkDeviceProcessed(0);
    // Once the erase is let go, the chip is usable again.
    sim().setFaults({});
    sim().finishPendingErases();
    EXPECT_TRUE(EraseSector(device(), 0x555, 1, VELK_ERASE_CHIP));
    EXPECT_EQ(sim().chipEraseCount(0), 2u);
}

TEST_F(DeviceRules, BootLoaderAnswersTheQueryAndEchoesPageChecksums) {
    plugIn();
    EXPECT_TRUE(Bootloader(device(), 1, '@'));
    std::array<std::uint8_t, 64> page{};
    page[0] = 0x12;
    page[1] = 0x34;
    sim().clearCommandLog();
    BootNextPage(device(), page.data());
    // A matching checksum makes the library send its confirmation block.
    const auto log = sim().commandLog();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0].name, "BootNextPage");
    EXPECT_EQ(log[1].name, "BootConfirm");
}

TEST(FrameFormat, FramesRoundTripAndMalformedOnesAreRejected) {
    namespace vdev = velk::vdev;
    const Bytes payload{1, 2, 3};
    const auto frame =
        vdev::encodeFrame({vdev::FrameKind::InData, vdev::FrameStatus::Ok, 77, 3}, payload);
    const auto header = vdev::decodeFrame(frame);
    ASSERT_TRUE(header);
    EXPECT_EQ(header->kind, vdev::FrameKind::InData);
    EXPECT_EQ(header->sequence, 77u);
    EXPECT_EQ(header->length, 3u);

    Bytes truncated = frame;
    truncated.pop_back();
    EXPECT_FALSE(vdev::decodeFrame(truncated));  // length field disagrees
    Bytes unknown = frame;
    unknown[0] = 'Z';
    EXPECT_FALSE(vdev::decodeFrame(unknown));
    EXPECT_FALSE(vdev::decodeFrame(Bytes(5, 0)));
    const auto request = vdev::encodeFrame({vdev::FrameKind::In, vdev::FrameStatus::Ok, 1, 4096});
    ASSERT_TRUE(vdev::decodeFrame(request));  // an In frame carries a length but no payload
    EXPECT_EQ(vdev::decodeFrame(request)->length, 4096u);
}

}  // namespace
}  // namespace velksim_test
