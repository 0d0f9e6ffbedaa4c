// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: LGPL-2.1-or-later

// What the model letter (the suffix of the data-bus firmware version) says about a device.
#pragma once

#include <cstddef>
#include <cstdint>

namespace velk {

struct DeviceModel {
    char letter;
    std::uint32_t romCapacity;   // bytes; 0 for an unknown model
    std::uint32_t saveRamValue;  // half the save-RAM bytes; 0 = no save RAM
};

DeviceModel modelOf(char letter);

inline constexpr char kBrivoModelLetter = 'c';
inline constexpr std::size_t kModelLetterOffset = 8;  // in the firmware version text

}  // namespace velk
