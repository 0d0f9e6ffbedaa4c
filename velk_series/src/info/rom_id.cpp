// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: LGPL-2.1-or-later

// ReadRomID: which flash chip is fitted, from the data-bus text or by asking the chip.
#include <array>
#include <cstdint>
#include <cstring>

#include "core/exchange.h"
#include "velk_series/velk_series.h"

namespace {

constexpr std::uint8_t kQueryCode = 0x4C;
constexpr char kTextChipPrefix[] = "MX29LV160";
constexpr std::size_t kTextChipPrefixLength = sizeof kTextChipPrefix - 1;
constexpr ChipId kTopBootTextChip = 0xC200C422;
constexpr ChipId kBottomBootTextChip = 0xC2004922;

// One query: the first two reply bytes, lowest first; nothing when a transfer failed.
bool queryWord(DeviceHandle device, bool chip1, std::uint8_t number, std::uint16_t& word) {
    velk::CommandBlock block = velk::perCallBlock(kQueryCode);
    block[17] = chip1 ? 0x10 : 0x00;
    block[18] = number;
    std::array<std::uint8_t, 64> reply{};
    if (!velk::sendBlockForReply(device, block, reply.data(), reply.size())) {
        return false;
    }
    word = static_cast<std::uint16_t>(reply[0] | reply[1] << 8);
    return true;
}

}  // namespace

extern "C" ChipId VELK_CALL ReadRomID(DeviceHandle device, uint8_t chip, EraseHint* hint) {
    const bool chip1 = chip == 1;
    DeviceInfoRecord record;
    // A failed read leaves the record zeroed, which still reads as a new enough firmware.
    ReadDeviceInfo(device, &record, VELK_SELECTOR_DATA_BUS);
    if (hint != nullptr && CompareVersion(record, 2, 6, 9) != 0) {
        *hint = VELK_ERASE_HINT_QUERIED;
    }

    if (std::strncmp(record.text2, kTextChipPrefix, kTextChipPrefixLength) == 0) {
        const char type = record.text2[kTextChipPrefixLength + (chip1 ? 1 : 0)];
        if (type != 'T' && type != 'B') {
            return 0;
        }
        if (hint != nullptr) {
            *hint = VELK_ERASE_HINT_TEXT_CHIP;
        }
        return type == 'T' ? kTopBootTextChip : kBottomBootTextChip;
    }

    std::uint16_t manufacturer = 0;
    std::uint16_t type = 0;
    if (!queryWord(device, chip1, 0, manufacturer) || !queryWord(device, chip1, 1, type)) {
        ReturnFalseClear();
        return 0;
    }
    if (hint != nullptr) {
        *hint = VELK_ERASE_HINT_QUERIED;
    }
    return ChipId{manufacturer} << 16 | type;
}
