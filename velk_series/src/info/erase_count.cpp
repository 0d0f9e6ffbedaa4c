// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: LGPL-2.1-or-later

// ReadErasingCount: the device's erase counter, read (mode 0) or stored (mode 1).
#include <array>
#include <cstdint>

#include "core/exchange.h"
#include "core/library_state.h"
#include "velk_series/velk_series.h"

namespace {

constexpr std::uint8_t kModeRead = 0;
constexpr std::uint8_t kModeStore = 1;
constexpr std::uint32_t kNeverWritten = 0xFFFFFFFFu;
// A device that keeps answering "never written" after a store of 0 is not going to change its
// mind; give up rather than loop for ever.
constexpr int kResetRounds = 3;

bool exchange(DeviceHandle device, std::uint32_t& counter, std::uint8_t mode) {
    velk::LibraryState& state = velk::libraryState();
    velk::CommandBlock& block = state.blocks.eraseCount;
    block[18] = mode;
    for (std::size_t i = 0; i < 4; ++i) {
        block[19 + i] = static_cast<std::uint8_t>(counter >> (8 * i));
    }
    if (mode != kModeRead && mode != kModeStore) {
        return false;
    }
    if (mode == kModeStore) {
        return velk::sendBlockForReply(device, block, state.reply.data(), 4).has_value();
    }
    std::array<std::uint8_t, 10> reply{};
    // Fewer than four bytes cannot hold the counter; taking the missing bytes as zero would
    // have the ROM writer store a counter that restarts from almost nothing.
    const auto received = velk::sendBlockForReply(device, block, reply.data(), reply.size());
    if (!received || *received < 4) {
        return false;
    }
    counter = std::uint32_t{reply[0]} | std::uint32_t{reply[1]} << 8 |
              std::uint32_t{reply[2]} << 16 | std::uint32_t{reply[3]} << 24;
    return true;
}

}  // namespace

extern "C" VelkBool VELK_CALL ReadErasingCount(DeviceHandle device, uint32_t* counter,
                                               uint8_t mode) {
    std::uint32_t value = counter != nullptr ? *counter : 0;
    const bool ok = counter != nullptr && exchange(device, value, mode);
    if (counter != nullptr) {
        *counter = value;
    }
    if (!ok) {
        return ReturnFalseClear();
    }
    if (mode == kModeStore) {
        return 1;
    }
    for (int round = 0; round < kResetRounds && *counter == kNeverWritten; ++round) {
        *counter = 0;
        std::uint32_t zero = 0;
        if (!exchange(device, zero, kModeStore) || !exchange(device, *counter, kModeRead)) {
            return ReturnFalseClear();
        }
    }
    if (*counter == kNeverWritten) {
        *counter = 0;
        return ReturnFalseClear();
    }
    return 1;
}
