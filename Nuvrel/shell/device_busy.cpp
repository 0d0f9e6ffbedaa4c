#include "shell/device_busy.h"

#include <velk_series/velk_series.h>

#include "shell/device_operation_runner.h"

namespace nuvrel {

bool deviceInUse() {
    return IsVelkDeviceProcessed() != 0 || DeviceOperationRunner::liveWorkers() > 0;
}

}  // namespace nuvrel
