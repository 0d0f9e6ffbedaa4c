// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// What the device says about itself: the information replies of both controllers, the chip
// query replies, and what the model letter implies.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "velk_sim/sim_harness.h"

namespace velksim {

inline constexpr std::uint8_t kSelectorDataBus = 0x55;
inline constexpr std::uint8_t kSelectorAddressBus = 0xAA;

// ROM bytes the model carries: 4 MiB for c and m, 2 MiB otherwise.
std::size_t romCapacityBytes(char model);
bool hasSaveRam(char model);
// Model c switches its save-RAM window with the compatibility command.
bool switchesWindow(char model);

std::string romChipTextFor(const DeviceConfig& config);
std::string ramChipTextFor(const DeviceConfig& config);

// The reply to information selector 0x55 or 0xAA: versions, suffixes and texts separated by
// 0x01 and ended by 0x00, at most 64 bytes (the last text is cut to fit).
std::vector<std::uint8_t> informationReply(const DeviceConfig& config, std::uint8_t selector);

// Reply to chip query `query` (0 manufacturer word, 1 device word) for chip slot 0 or 1: the
// 16-bit word lowest byte first; an empty slot answers 0 0.
std::vector<std::uint8_t> chipQueryReply(const DeviceConfig& config, unsigned chip,
                                         std::uint8_t query);

}  // namespace velksim
