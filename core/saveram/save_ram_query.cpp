// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include <velk_series/velk_series.h>

#include "engine/device_capacity.h"
#include "engine/device_session.h"
#include "engine/stored_name.h"
#include "saveram/save_ram.h"

namespace nuvrel {

SaveRamInfo QuerySaveRamSize(bool showMessage) {
    SaveRamInfo info;
    const DeviceCapacity capacity = QueryDeviceCapacity(showMessage);
    info.deviceFound = capacity.romBytes != 0;
    info.ramSize = capacity.saveRamValue;
    info.answered = capacity.answered;
    return info;
}

SaveRamInfo QuerySaveRamForRead(bool showMessage) {
    SaveRamInfo info = QuerySaveRamSize(showMessage);
    if (!info.deviceFound || info.ramSize == 0) {
        return info;
    }
    DeviceSession device;
    if (!device.opened()) {
        return info;
    }
    info.opened = true;

    // The first failed transfer ends the query: a read length that was never reported must not
    // become a dump of nothing.
    const std::optional<StoredName> stored = ReadStoredName(device.get(), VELK_SLOT_SAVE_NAME);
    std::uint32_t value = 0;
    const bool sized = stored && GetMaxSize(device.get(), &value, showMessage ? 1 : 0) != 0;
    if (!stored || !device.answering()) {
        info.answered = false;
        return info;
    }
    info.storedName = stored->fileName();
    info.readLength = sized ? 2 * value : 0;
    return info;
}

}  // namespace nuvrel
