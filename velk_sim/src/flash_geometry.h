// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Erase-sector layouts of the flash chips a Velk device can carry.
#pragma once

#include <cstdint>
#include <vector>

namespace velksim {

struct SectorSpan {
    std::uint32_t offset = 0;  // bytes from the start of the chip
    std::uint32_t size = 0;
};

// Sectors in address order covering the whole chip. Unknown identifiers get uniform 64 KiB
// sectors over 2 MiB, so an unknown chip still behaves like flash.
std::vector<SectorSpan> sectorLayout(std::uint32_t chipId);

std::uint32_t chipBytes(std::uint32_t chipId);

bool isKnownChip(std::uint32_t chipId);

}  // namespace velksim
