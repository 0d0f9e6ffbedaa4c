// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The save RAM as the cartridge bus shows it: from byte address 0x200000 on, one save byte at
// each odd address; even addresses carry no save data and read as a constant.
#pragma once

#include <cstdint>
#include <span>

#include "velk_sim/sim_harness.h"

namespace velksim {

class SaveRamWindow {
  public:
    explicit SaveRamWindow(std::span<std::uint8_t> saveBytes) : save_(saveBytes) {}

    bool contains(std::uint32_t byteAddress) const {
        return byteAddress >= kSaveRamWindowByte &&
               byteAddress - kSaveRamWindowByte < 2 * save_.size();
    }
    std::uint8_t read(std::uint32_t byteAddress) const {
        const std::uint32_t offset = byteAddress - kSaveRamWindowByte;
        return (offset & 1u) != 0 ? save_[offset / 2] : kSaveRamEvenByte;
    }
    // Even addresses are not wired to the RAM: writes there change nothing.
    void write(std::uint32_t byteAddress, std::uint8_t value) {
        const std::uint32_t offset = byteAddress - kSaveRamWindowByte;
        if ((offset & 1u) != 0) {
            save_[offset / 2] = value;
        }
    }

  private:
    std::span<std::uint8_t> save_;
};

}  // namespace velksim
