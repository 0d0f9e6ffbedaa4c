// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The save-RAM window's layout as the transfers see it: one save byte at every odd byte address
// from kSaveRamBase, nothing at the even ones.
#pragma once

#include <cstddef>
#include <cstdint>

#include "saveram/save_ram.h"

namespace nuvrel {

inline constexpr std::uint32_t SaveRamWord(std::uint32_t offset) {
    return (kSaveRamBase + offset) / 2;
}

// The even bytes carry no save data; files hold 0 there.
inline std::size_t ClearEvenBytes(std::uint8_t* block, std::size_t length) {
    for (std::size_t i = 0; i < length; i += 2) {
        block[i] = 0;
    }
    return length;
}

}  // namespace nuvrel
