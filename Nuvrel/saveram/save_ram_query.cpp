#include <cstring>

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

    info.storedName =
        ReadStoredName(device.get(), VELK_SLOT_SAVE_NAME).value_or(StoredName{}).fileName();

    std::uint32_t value = 0;
    const bool sized = GetMaxSize(device.get(), &value, showMessage ? 1 : 0) != 0;
    info.readLength = sized ? 2 * value : 0;
    return info;
}

}  // namespace nuvrel
