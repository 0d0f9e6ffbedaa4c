#include "engine/device_capacity.h"

#include <velk_series/velk_series.h>

namespace nuvrel {

DeviceCapacity QueryDeviceCapacity(bool showMessage) {
    DeviceCapacity capacity;
    capacity.romBytes = GetMaxSize(nullptr, &capacity.saveRamValue, showMessage ? 1 : 0);
    return capacity;
}

}  // namespace nuvrel
