// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: LGPL-2.1-or-later

// The host side of the device's boot-loader commands. They share the boot block, so bytes one
// command does not set go out again as the previous boot command left them.
#include <array>
#include <cstdint>
#include <optional>

#include "core/exchange.h"
#include "core/library_state.h"
#include "velk_series/velk_series.h"

namespace {

constexpr std::uint8_t kModeRun = 0x20;
constexpr std::uint8_t kModeCheck = 0x40;
constexpr std::uint8_t kBootAnswer = 0x42;
constexpr std::size_t kPageSize = 64;

velk::CommandBlock& bootBlock() {
    return velk::libraryState().blocks.boot;
}

void setCommand(std::uint8_t b16, std::uint8_t b17, std::uint8_t b18) {
    velk::CommandBlock& block = bootBlock();
    block[16] = b16;
    block[17] = b17;
    block[18] = b18;
}

void setPageWord(std::uint8_t low, std::uint8_t high) {
    bootBlock()[20] = low;
    bootBlock()[21] = high;
}

// Sends the boot block and receives up to `reply.size()` bytes; the count received.
template <std::size_t N>
std::optional<std::size_t> exchange(DeviceHandle device, std::array<std::uint8_t, N>& reply) {
    return velk::sendBlockForReply(device, bootBlock(), reply.data(), reply.size());
}

// Where BootPage puts its reply; nothing reads it.
constinit std::array<std::uint8_t, 4> g_pageReply{};

}  // namespace

extern "C" {

VelkBool VELK_CALL Bootloader(DeviceHandle device, uint8_t flag, uint8_t mode) {
    if (mode == kModeRun) {
        if (flag == 0) {
            return 1;
        }
        bootBlock()[16] = kBootAnswer;  // bytes 17 and 18 keep their values
        return velk::sendBlock(device, bootBlock()) ? 1 : ReturnFalseClear();
    }
    if (mode != kModeCheck) {
        return ReturnFalseClear();
    }
    setCommand(0x56, 0x52, flag != 0 ? 0x42 : 0x52);
    std::array<std::uint8_t, 10> reply{};
    const auto received = exchange(device, reply);
    if (flag != 0 && received && *received >= 1 && reply[0] == kBootAnswer) {
        return 1;
    }
    return ReturnFalseClear();
}

VelkBool VELK_CALL BootPage(DeviceHandle device, uint32_t page, uint32_t /*ignored*/) {
    setCommand(0x56, 0x2A, 0x2A);
    const auto offset = static_cast<std::uint16_t>(page * kPageSize);
    setPageWord(static_cast<std::uint8_t>(offset), static_cast<std::uint8_t>(offset >> 8));
    exchange(device, g_pageReply);
    return ReturnFalseClear();  // the result carries no news, whatever happened
}

VelkBool VELK_CALL BootNextPage(DeviceHandle device, const uint8_t* page) {
    setCommand(0x56, 0x25, 0x25);
    if (page == nullptr || !velk::sendBlockWithData(device, bootBlock(), page, kPageSize)) {
        return ReturnFalseClear();
    }
    std::array<std::uint8_t, 10> reply{};
    const auto received = velk::receive(device, reply.data(), reply.size());
    if (received && *received >= 1 && reply[0] == CalcCRC(page, kPageSize)) {
        setCommand(0x56, 0xA2, 0xA2);
        setPageWord(0x00, 0xAC);
        std::array<std::uint8_t, 10> confirmation{};
        exchange(device, confirmation);
    }
    return ReturnFalseClear();
}

uint8_t VELK_CALL CalcCRC(const uint8_t* data, uint32_t length) {
    std::uint8_t sum = 0;  // an exclusive-or of the bytes, whatever the name says
    for (std::uint32_t i = 0; data != nullptr && i < length; ++i) {
        sum = static_cast<std::uint8_t>(sum ^ data[i]);
    }
    return sum;
}

VelkBool VELK_CALL AddHEX2DXF(uint32_t /*first*/, uint32_t /*second*/) {
    return 1;
}

}  // extern "C"
