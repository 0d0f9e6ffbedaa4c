// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: LGPL-2.1-or-later

// Building the caller's sector table from the chips' identifiers.
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "messages/message_handler.h"
#include "sectors/sector_templates.h"
#include "velk_series/velk_series.h"

namespace {

constexpr std::int32_t kRows = VELK_SECTOR_TABLE_ROWS;
constexpr std::size_t kCopiedNameBytes = 8;
constexpr std::uint32_t kSecondChipWordAddress = 0x100000;

enum class Layout { SixteenMbit, BottomBoot, TopBoot };

struct KnownChip {
    ChipId id;
    Layout layout;
    bool adjustsHint;  // any hint but 6 becomes 0
};

constexpr std::array<KnownChip, 7> kKnownChips{{
    {0x0100F922, Layout::BottomBoot, true},
    {0x20005F22, Layout::BottomBoot, true},
    {0x2000ED22, Layout::TopBoot, true},
    {0x01004922, Layout::SixteenMbit, true},
    {0x0100C422, Layout::SixteenMbit, true},
    {0xC2004922, Layout::SixteenMbit, false},
    {0xC200C422, Layout::SixteenMbit, false},
}};

const KnownChip* findChip(ChipId id) {
    for (const KnownChip& chip : kKnownChips) {
        if (chip.id == id) {
            return &chip;
        }
    }
    return nullptr;
}

bool isAnswer(ChipId id) {
    return id != 0 && id != VELK_UNKNOWN_CHIP;
}

// Gives an empty name to the first row at or beyond the second chip's first word.
void cutAtSecondChip(SectorEntry* table) {
    for (std::int32_t row = 0; row < kRows; ++row) {
        if (table[row].wordAddress >= kSecondChipWordAddress) {
            table[row].name[0] = '\0';
            return;
        }
        if (table[row].name[0] == '\0') {
            return;
        }
    }
}

}  // namespace

extern "C" {

int32_t VELK_CALL AddToTable(SectorEntry* table, const SectorEntry* templateRows, ChipId id,
                             uint32_t chipIndex) {
    if (table == nullptr || templateRows == nullptr) {
        return 0;
    }
    std::int32_t row = 0;
    while (row < kRows && table[row].name[0] != '\0') {
        ++row;
    }
    for (const SectorEntry* source = templateRows; row < kRows; ++source, ++row) {
        SectorEntry& entry = table[row];
        std::memcpy(entry.name, source->name, kCopiedNameBytes);
        entry.size = source->size;
        entry.chipId = id;
        entry.chipIndex = static_cast<std::uint8_t>(chipIndex);
        if (row == 0) {
            entry.wordAddress = source->wordAddress;
            entry.end = source->end;
        } else {
            // Rows follow on from the row before, whatever the template says, so a second chip
            // continues where the first one ends.
            const SectorEntry& previous = table[row - 1];
            entry.wordAddress = previous.wordAddress + previous.size / 2;
            entry.end = previous.end + entry.size;
        }
        if (source->name[0] == '\0') {
            return row;
        }
    }
    return kRows;
}

VelkBool VELK_CALL AssociateWithTable(ChipId* id, SectorEntry* table, uint32_t chipIndex,
                                      EraseHint* hint) {
    if (id == nullptr) {
        return 0;
    }
    const KnownChip* chip = findChip(*id);
    if (chip == nullptr) {
        *id = VELK_UNKNOWN_CHIP;
        return 0;
    }
    if (chip->adjustsHint && hint != nullptr && *hint != VELK_ERASE_HINT_QUERIED) {
        *hint = VELK_ERASE_HINT_NONE;
    }
    switch (chip->layout) {
        case Layout::SixteenMbit:
            AddToTable(table, velk::sixteenMbitTemplate(), *id, chipIndex);
            *id = 0;
            break;
        case Layout::BottomBoot:
            AddToTable(table, velk::bottomBootPart1Template(), *id, chipIndex);
            AddToTable(table, velk::bottomBootPart2Template(), *id, chipIndex);
            break;
        case Layout::TopBoot:
            AddToTable(table, velk::topBootPart1Template(), *id, chipIndex);
            AddToTable(table, velk::topBootPart2Template(), *id, chipIndex);
            break;
    }
    return 1;
}

VelkBool VELK_CALL DetectSectorsTables(DeviceHandle device, SectorEntry* table, EraseHint* hint) {
    const ChipId id0 = ReadRomID(device, 0, hint);
    const ChipId id1 = ReadRomID(device, 1, hint);
    if (table == nullptr) {
        return 0;
    }
    table[0].name[0] = '\0';

    ChipId chip0 = id0;
    const VelkBool ok = AssociateWithTable(&chip0, table, 0, hint);
    if (chip0 == VELK_UNKNOWN_CHIP) {
        char text[64];
        std::snprintf(text, sizeof text, "Unknown interanl chips with ID's:[%.8X][%.8X]",
                      static_cast<unsigned>(id0), static_cast<unsigned>(id1));
        velk::showLibraryMessage("Error", text, VELK_ICON_ERROR);
        return 0;
    }
    const bool secondChipAnswered = isAnswer(id1);
    if (secondChipAnswered) {
        cutAtSecondChip(table);
    }
    if (chip0 == 0 || secondChipAnswered) {
        ChipId chip1 = id1;
        AssociateWithTable(&chip1, table, 1, hint);  // an unknown second chip adds nothing
    }
    return ok;
}

}  // extern "C"
