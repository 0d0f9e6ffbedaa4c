// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: LGPL-2.1-or-later

// Compatibility: the stored compatibility set and the mode switches sent before transfers.
#include <array>
#include <cstdint>

#include "core/exchange.h"
#include "velk_series/velk_series.h"

extern "C" uint8_t VELK_CALL Compatibility(DeviceHandle device, uint8_t value) {
    velk::CommandBlock block = velk::perCallBlock(0x24);
    block[17] = value;
    constexpr std::array<std::uint8_t, 8> kFiller{0x00, 0x00, 0x04, 0x05, 0x06, 0x07, 0x08, 0x00};
    for (std::size_t i = 0; i < kFiller.size(); ++i) {
        block[18 + i] = kFiller[i];
    }
    std::array<std::uint8_t, 2> reply{};
    if (!velk::sendBlockForReply(device, block, reply.data(), reply.size())) {
        ReturnFalseClear();
        return 0;
    }
    return reply[1];
}
