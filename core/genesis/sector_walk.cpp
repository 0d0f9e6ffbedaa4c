// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "genesis/sector_walk.h"

#include <cstring>

namespace nuvrel {

const SectorEntry* SectorWalk::startsAt(std::uint32_t wordAddress) {
    if (finished_) {
        return nullptr;
    }
    const SectorEntry& row = table_[row_];
    if (row.wordAddress != wordAddress) {
        return nullptr;
    }
    // The ending row marks where the last sector ends; it counts as one more start, and nothing
    // after it (or after the last row of a full table) is a sector of the table.
    if (row.name[0] == '\0' || row_ + 1 >= VELK_SECTOR_TABLE_ROWS) {
        finished_ = true;
    } else {
        ++row_;
    }
    return &row;
}

std::string SectorName(const SectorEntry& row) {
    return std::string(row.name, strnlen(row.name, sizeof row.name));
}

}  // namespace nuvrel
