// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Walking the device's sector table alongside the image blocks: a sector start is recognised only
// at the current row, the walk moves on only on a match, and it never goes past the table's
// ending row (empty name) or its 100th row.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include <velk_series/velk_series.h>

namespace nuvrel {

class SectorWalk {
  public:
    explicit SectorWalk(const SectorEntry* table) : table_(table) {}

    // The row whose sector starts at wordAddress, if the current row does; the walk then moves
    // to the next row. Null otherwise.
    const SectorEntry* startsAt(std::uint32_t wordAddress);

  private:
    const SectorEntry* table_;
    std::size_t row_ = 0;
    bool finished_ = false;
};

// A row's name as the "Sector:" field shows it (spaces kept, ends at the first zero byte).
std::string SectorName(const SectorEntry& row);

}  // namespace nuvrel
