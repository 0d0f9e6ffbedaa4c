#include <cstdio>
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

std::string SaveTooLargeMessage(std::uint32_t ramSize, std::uint32_t fileSize) {
    const std::uint32_t fileKilobytes = fileSize / 1024 + (fileSize % 1024 != 0 ? 1u : 0u);
    char text[160];
    std::snprintf(text, sizeof text,
                  "File Size is to large for attached device!\nDevice Rom Size: %dKbytes\nFile "
                  "Size: %dKbytes",
                  static_cast<int>(ramSize / 1024), static_cast<int>(fileKilobytes));
    return text;
}

}  // namespace nuvrel
