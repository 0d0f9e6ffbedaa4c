// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: LGPL-2.1-or-later

// The 31-byte command block that precedes every exchange with the device, and the byte layout
// every command shares.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace velk {

inline constexpr std::size_t kBlockSize = 31;
using CommandBlock = std::array<std::uint8_t, kBlockSize>;

namespace block {
inline constexpr std::size_t kFlags = 12;
inline constexpr std::size_t kMarker = 15;
inline constexpr std::size_t kCode = 16;
inline constexpr std::size_t kParam = 17;  // first parameter byte
inline constexpr std::size_t kTailSize = kBlockSize - kCode;
inline constexpr std::uint8_t kMarkerValue = 0x67;
inline constexpr std::uint8_t kPerCallFlag = 0x01;
inline constexpr std::uint8_t kSharedFlag = 0x00;
}  // namespace block

// Header "USBC", tag 0, length 0, the flag byte, 0, 0, 0x67, then bytes 16-30 as given.
constexpr CommandBlock makeBlock(std::uint8_t flags, const std::array<std::uint8_t, 15>& tail) {
    CommandBlock b{};
    b[0] = 'U';
    b[1] = 'S';
    b[2] = 'B';
    b[3] = 'C';
    b[block::kFlags] = flags;
    b[block::kMarker] = block::kMarkerValue;
    for (std::size_t i = 0; i < tail.size(); ++i) {
        b[block::kCode + i] = tail[i];
    }
    return b;
}

// A block built for one call: flag 0x01, the code, every parameter byte zero.
constexpr CommandBlock perCallBlock(std::uint8_t code) {
    std::array<std::uint8_t, 15> tail{};
    tail[0] = code;
    return makeBlock(block::kPerCallFlag, tail);
}

// Word addresses travel in bytes 17-19, most significant byte first.
constexpr void putWordAddress(CommandBlock& b, std::uint32_t wordAddress) {
    b[17] = static_cast<std::uint8_t>(wordAddress >> 16);
    b[18] = static_cast<std::uint8_t>(wordAddress >> 8);
    b[19] = static_cast<std::uint8_t>(wordAddress);
}

// The five blocks kept for the life of the process. A command overwrites only the bytes it sets,
// so whatever the previous user of a block left there goes out again with the next command.
struct SharedBlocks {
    CommandBlock boot = makeBlock(
        block::kSharedFlag,
        {0x56, 0xA2, 0xA2, 0x00, 0x00, 0x00, 0x00, 0x04, 0x05, 0x06, 0x07, 0x08, 0x00, 0x00, 0x00});
    CommandBlock information = makeBlock(
        block::kSharedFlag,
        {0x22, 0x55, 0x00, 0x00, 0x00, 0x00, 0x04, 0x05, 0x06, 0x07, 0x08, 0x00, 0x00, 0x00, 0x00});
    CommandBlock transfer = makeBlock(
        block::kSharedFlag,
        {0x52, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00});
    CommandBlock fileName = makeBlock(
        block::kSharedFlag,
        {0x50, 0x00, 0x00, 0x00, 0x00, 0x00, 0x04, 0x05, 0x06, 0x07, 0x08, 0x00, 0x00, 0x00, 0x00});
    CommandBlock eraseCount = makeBlock(
        block::kSharedFlag,
        {0x22, 0xA0, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07});
};

}  // namespace velk
