// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "engine/device_capacity.h"

#include <velk_series/velk_series.h>

#include "engine/device_session.h"

namespace nuvrel {

DeviceCapacity QueryDeviceCapacity(bool showMessage) {
    DeviceCapacity capacity;
    const TransferWatch watch;
    capacity.romBytes = GetMaxSize(nullptr, &capacity.saveRamValue, showMessage ? 1 : 0);
    capacity.answered = watch.allSent();
    return capacity;
}

}  // namespace nuvrel
