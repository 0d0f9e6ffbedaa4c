// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The 31-byte "USBC" command blocks the host sends, and what each one means.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "velk_sim/sim_harness.h"

namespace velksim {

inline constexpr std::size_t kCommandBlockBytes = 31;

namespace code {
inline constexpr std::uint8_t kInfo = 0x22;  // information, or the erase counter (byte 17 0xA0)
inline constexpr std::uint8_t kCompatibility = 0x24;
inline constexpr std::uint8_t kReadName = 0x47;
inline constexpr std::uint8_t kWriteName = 0x50;
inline constexpr std::uint8_t kChipQuery = 0x4C;
inline constexpr std::uint8_t kErase = 0x45;
inline constexpr std::uint8_t kEraseStatus = 0x43;
inline constexpr std::uint8_t kRead = 0x52;
inline constexpr std::uint8_t kWrite = 0x57;
inline constexpr std::uint8_t kWriteRam = 0x55;
inline constexpr std::uint8_t kBoot = 0x56;
inline constexpr std::uint8_t kBootStart = 0x42;
}  // namespace code

inline constexpr std::uint8_t kEraseCounterSelector = 0xA0;

struct CommandBlock {
    std::array<std::uint8_t, kCommandBlockBytes> bytes{};

    std::uint8_t code() const { return bytes[16]; }
    std::uint8_t at(std::size_t offset) const { return bytes[offset]; }
    // Bytes 17-19, most significant first.
    std::uint32_t wordAddress() const {
        return static_cast<std::uint32_t>(bytes[17]) << 16 |
               static_cast<std::uint32_t>(bytes[18]) << 8 | bytes[19];
    }
    std::uint8_t count() const { return bytes[20]; }
    // Bytes 19-22, lowest first (the erase counter).
    std::uint32_t little32At19() const {
        return static_cast<std::uint32_t>(bytes[19]) | static_cast<std::uint32_t>(bytes[20]) << 8 |
               static_cast<std::uint32_t>(bytes[21]) << 16 |
               static_cast<std::uint32_t>(bytes[22]) << 24;
    }
};

// A transfer is a command block when it is exactly 31 bytes and begins "USBC".
std::optional<CommandBlock> parseCommandBlock(std::span<const std::uint8_t> transfer);

// What a log or a trace shows of the block.
CommandRecord describeCommand(const CommandBlock& block);

std::string formatCommand(const CommandRecord& record);

}  // namespace velksim
