#include "engine/brivo_window.h"

namespace nuvrel {

bool SelectBrivoWindow(DeviceHandle device, BrivoWindow window) {
    if (IsVelkBrivo(device) == 0) {
        return true;
    }
    Compatibility(device, static_cast<std::uint8_t>(window));
    return true;
}

}  // namespace nuvrel
