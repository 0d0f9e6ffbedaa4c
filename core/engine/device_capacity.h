// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The device's ROM capacity and save-RAM value, as the library's GetMaxSize reports them. The
// library opens and closes the device itself for this query.
#pragma once

#include <cstdint>

namespace nuvrel {

struct DeviceCapacity {
    std::uint32_t romBytes = 0;      // 0: no device, or a model without a known ROM size
    std::uint32_t saveRamValue = 0;  // half the save-RAM window in bytes; 0: no save RAM
    // False when the device was found but a transfer of the query failed: then the zeros above
    // say nothing about the device.
    bool answered = true;
};

// With showMessage the library itself reports "Device Not Detected!" through its message handler
// when no device can be opened (the pages want that; nuvrel-cli passes false and says it itself).
// Callers must not call this while the busy flag is set by another operation.
DeviceCapacity QueryDeviceCapacity(bool showMessage);

}  // namespace nuvrel
