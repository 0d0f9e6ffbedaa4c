#include <cstring>

#include <velk_series/velk_series.h>

#include "genesis/device_session.h"
#include "saveram/save_ram.h"

namespace nuvrel {

SaveRamInfo QuerySaveRamSize(bool showMessage) {
    SaveRamInfo info;
    info.deviceFound = GetMaxSize(nullptr, &info.ramSize, showMessage ? 1 : 0) != 0;
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

    char stored[VELK_FILE_NAME_SIZE] = {};
    ReadFileName(device.get(), stored, VELK_SLOT_SAVE_NAME);
    const std::size_t storedLength = strnlen(stored, sizeof stored);
    if (storedLength < sizeof stored) {
        info.storedName.assign(stored, storedLength);
    }

    std::uint32_t value = 0;
    const bool sized = GetMaxSize(device.get(), &value, showMessage ? 1 : 0) != 0;
    info.readLength = sized ? 2 * value : 0;
    return info;
}

}  // namespace nuvrel
