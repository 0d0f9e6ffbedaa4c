// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Shared helpers for the wire tests: expected command blocks, typical replies and a fixture with
// the device open on a recorder.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "recording_backend.h"
#include "velk_series/velk_series.h"

namespace velk_test {

using Bytes = std::vector<std::uint8_t>;
using velk::testing::Direction;
using velk::testing::RecordedTransfer;

// "USBC", tag 0, length 0, flags, 0, 0, 0x67, then bytes 16.. as given, zero-filled to 31.
inline Bytes commandBlock(std::uint8_t flags, std::initializer_list<std::uint8_t> fromByte16) {
    Bytes block(31, 0);
    block[0] = 'U';
    block[1] = 'S';
    block[2] = 'B';
    block[3] = 'C';
    block[12] = flags;
    block[15] = 0x67;
    std::size_t at = 16;
    for (std::uint8_t byte : fromByte16) {
        block.at(at++) = byte;
    }
    return block;
}
inline Bytes perCallBlock(std::initializer_list<std::uint8_t> fromByte16) {
    return commandBlock(0x01, fromByte16);
}
inline Bytes sharedBlock(std::initializer_list<std::uint8_t> fromByte16) {
    return commandBlock(0x00, fromByte16);
}

// An information reply: firmware version bytes and suffix, a boot loader version, then texts.
inline Bytes infoReply(std::uint8_t major, std::uint8_t minor, std::uint8_t patch, char suffix,
                       const std::string& texts = "") {
    Bytes reply{major, minor, patch, static_cast<std::uint8_t>(suffix), 1, 2, 3, 'b'};
    for (char c : texts) {
        reply.push_back(static_cast<std::uint8_t>(c));
    }
    reply.push_back(0);
    return reply;
}

// The information exchange ReadDeviceInfo(0x55) puts on the wire.
inline Bytes dataBusInfoBlock() {
    return sharedBlock({0x22, 0x55, 0, 0, 0, 0, 4, 5, 6, 7, 8, 0, 0, 0, 0});
}

// The last message box the library asked for, and how many it asked for; install with
// SetVelkMessageHandler(remember, &shown).
struct Shown {
    int calls = 0;
    std::string caption;
    std::string text;
    int icon = -1;
};

inline void VELK_CALL remember(void* context, const char* caption, const char* text, int icon) {
    auto* shown = static_cast<Shown*>(context);
    ++shown->calls;
    shown->caption = caption;
    shown->text = text;
    shown->icon = icon;
}

// The device open on a recorder; the transfer log starts empty for each test.
class DeviceTest : public ::testing::Test {
  protected:
    void SetUp() override {
        device_ = OpenVelkDevice();
        ASSERT_NE(device_, VELK_INVALID_DEVICE);
        recorder().clearLog();
    }
    void TearDown() override {
        if (device_ != VELK_INVALID_DEVICE) {
            CloseVelkDevice(device_);
        }
    }

    velk::testing::RecordingBackend& recorder() { return session_.device(); }
    const std::vector<RecordedTransfer>& wire() { return recorder().transfers(); }

    // Checks transfer `index`: an OUT transfer of exactly `bytes`.
    void expectOut(std::size_t index, const Bytes& bytes) {
        ASSERT_LT(index, wire().size());
        EXPECT_EQ(wire()[index].direction, Direction::Out) << "transfer " << index;
        EXPECT_EQ(wire()[index].bytes, bytes) << "transfer " << index;
    }
    // Checks transfer `index`: an IN request for `size` bytes.
    void expectIn(std::size_t index, std::size_t size) {
        ASSERT_LT(index, wire().size());
        EXPECT_EQ(wire()[index].direction, Direction::In) << "transfer " << index;
        EXPECT_EQ(wire()[index].requested, size) << "transfer " << index;
    }

    velk::testing::RecorderSession session_;
    DeviceHandle device_ = VELK_INVALID_DEVICE;
};

}  // namespace velk_test
