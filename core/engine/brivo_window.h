// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The Brivo model shows either its ROM or its save RAM at byte 0x200000; the compatibility
// command switches between them. Every operation that reads or writes there switches first.
#pragma once

#include <cstdint>

#include <velk_series/velk_series.h>

namespace nuvrel {

class DeviceSession;

enum class BrivoWindow : std::uint8_t {
    Rom = VELK_COMPAT_ROM_MODE,
    SaveRam = VELK_COMPAT_SAVE_RAM_MODE,
};

// Asks the device for its model and, on a Brivo, sends the switch to the wanted window; other
// models need none. False when a transfer of either failed: the device may then show the other
// window, so nothing may be read or written there.
bool SelectBrivoWindow(DeviceSession& device, BrivoWindow window);

}  // namespace nuvrel
