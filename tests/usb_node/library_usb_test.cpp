// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The library in this process over libusb on an emulated node: what a caller's buffer and the
// next command see after a transfer the library had to give up on, a STALL, and an unplug.
#include <velk_series/velk_series.h>

#include <algorithm>
#include <array>
#include <memory>
#include <thread>

#include "usb_node_fixture.h"

namespace usbnodetest {
namespace {

using velkusb::UrbTrigger;
using namespace std::chrono_literals;

constexpr std::uint8_t kRead = 0x52;
constexpr std::size_t kSector = 1024;  // ReadSector with a count of 16

class UsbLibrary : public UsbNodeTest {
  protected:
    void SetUp() override {
        UsbNodeTest::SetUp();
        plug();
        std::vector<std::uint8_t> pattern(0x10000);
        for (std::size_t i = 0; i < pattern.size(); ++i) {
            pattern[i] = static_cast<std::uint8_t>(i * 7 + i / 1024);
        }
        node().setRomBytes(0, 0, pattern);
    }

    std::vector<std::uint8_t> rom(std::uint32_t byteAddress) {
        return node().romBytes(0, byteAddress, kSector);
    }
};

bool readSector(DeviceHandle device, std::uint8_t* buffer, std::uint32_t byteAddress) {
    return ReadSector(device, buffer, byteAddress / 2, 16) != 0;
}

TEST_F(UsbLibrary, ACallersBufferIsNeverWrittenAfterTheCallThatGaveUpOnItReturned) {
    velkusb::UrbFaults faults;
    faults.slowDiscard = UrbTrigger::afterCommand(kRead, 1);
    faults.slowDiscardAfter = 6500ms;  // longer than any wait for a cancel
    node().setFaults(0, faults);
    const DeviceHandle device = OpenVelkDevice();
    ASSERT_NE(device, VELK_INVALID_DEVICE);

    const auto start = std::chrono::steady_clock::now();
    auto buffer = std::make_unique<std::array<std::uint8_t, kSector>>();
    buffer->fill(0x11);
    EXPECT_FALSE(readSector(device, buffer->data(), 0));
    buffer->fill(0x22);  // the caller's memory again, reused

    // Past the time the host controller finally completes the discarded URB; the next
    // command's event handling is where a late completion would be reaped.
    std::this_thread::sleep_until(start + 12s);
    std::vector<std::uint8_t> next(kSector);
    EXPECT_TRUE(readSector(device, next.data(), 0x400));
    EXPECT_EQ(next, rom(0x400));
    EXPECT_TRUE(std::all_of(buffer->begin(), buffer->end(), [](std::uint8_t b) {
        return b == 0x22;
    })) << "the library wrote into a buffer after ReadSector returned";
    CloseVelkDevice(device);
}

TEST_F(UsbLibrary, AFreedBufferIsNeverWrittenAfterTheCallThatGaveUpOnItReturned) {
    velkusb::UrbFaults faults;
    faults.slowDiscard = UrbTrigger::afterCommand(kRead, 1);
    faults.slowDiscardAfter = 6500ms;
    node().setFaults(0, faults);
    const DeviceHandle device = OpenVelkDevice();
    ASSERT_NE(device, VELK_INVALID_DEVICE);

    const auto start = std::chrono::steady_clock::now();
    {
        // Under AddressSanitizer a write into this after it is freed is a heap-use-after-free.
        auto buffer = std::make_unique<std::uint8_t[]>(kSector);
        EXPECT_FALSE(readSector(device, buffer.get(), 0));
    }
    std::this_thread::sleep_until(start + 12s);
    std::vector<std::uint8_t> next(kSector);
    EXPECT_TRUE(readSector(device, next.data(), 0x800));
    EXPECT_EQ(next, rom(0x800));
    CloseVelkDevice(device);
}

TEST_F(UsbLibrary, TheNextCommandReadsItsOwnReplyNotOneQueuedAfterTheCancel) {
    velkusb::UrbFaults faults;
    faults.lateReply = UrbTrigger::afterCommand(kRead, 1);
    faults.lateReplyAfter = 6s;
    node().setFaults(0, faults);
    const DeviceHandle device = OpenVelkDevice();
    ASSERT_NE(device, VELK_INVALID_DEVICE);

    std::vector<std::uint8_t> first(kSector);
    EXPECT_FALSE(readSector(device, first.data(), 0));
    std::vector<std::uint8_t> second(kSector);
    EXPECT_TRUE(readSector(device, second.data(), 0x400));
    EXPECT_EQ(second, rom(0x400));
    EXPECT_EQ(node().stats(0).staleRepliesDelivered, 0u);
    CloseVelkDevice(device);
}

TEST_F(UsbLibrary, AStalledEndpointIsClearedForTheNextCommandOfTheSameOpen) {
    velkusb::UrbFaults faults;
    faults.stall = UrbTrigger::afterCommand(kRead, 1);
    node().setFaults(0, faults);
    const DeviceHandle device = OpenVelkDevice();
    ASSERT_NE(device, VELK_INVALID_DEVICE);

    std::vector<std::uint8_t> buffer(kSector);
    EXPECT_FALSE(readSector(device, buffer.data(), 0));
    EXPECT_EQ(node().stats(0).clearHalts, 1u);
    EXPECT_TRUE(readSector(device, buffer.data(), 0x400));
    EXPECT_EQ(buffer, rom(0x400));
    CloseVelkDevice(device);
}

TEST_F(UsbLibrary, AfterAnUnplugNothingMoreIsSubmittedAndTheReplugIsFoundAnew) {
    velkusb::UrbFaults faults;
    faults.unplug = UrbTrigger::afterCommand(kRead, 2);
    node().setFaults(0, faults);
    DeviceHandle device = OpenVelkDevice();
    ASSERT_NE(device, VELK_INVALID_DEVICE);

    std::vector<std::uint8_t> buffer(kSector);
    EXPECT_TRUE(readSector(device, buffer.data(), 0));
    EXPECT_FALSE(readSector(device, buffer.data(), 0x400));
    const std::uint64_t submitted = node().stats(0).submitted;
    const std::uint64_t refused = node().stats(0).refusedSubmits;
    EXPECT_FALSE(readSector(device, buffer.data(), 0x800));
    EXPECT_EQ(node().stats(0).submitted, submitted);
    EXPECT_EQ(node().stats(0).refusedSubmits, refused) << "not even tried";
    CloseVelkDevice(device);

    node().replug(0);
    device = OpenVelkDevice();
    ASSERT_NE(device, VELK_INVALID_DEVICE);
    EXPECT_TRUE(readSector(device, buffer.data(), 0x800));
    EXPECT_EQ(buffer, rom(0x800));
    CloseVelkDevice(device);
}

}  // namespace
}  // namespace usbnodetest
