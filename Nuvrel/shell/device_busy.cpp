#include "shell/device_busy.h"

#include "engine/device_gate.h"

namespace nuvrel {

bool deviceInUse() {
    return DeviceGate::inUse();
}

}  // namespace nuvrel
