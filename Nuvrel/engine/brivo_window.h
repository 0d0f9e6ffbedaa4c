// The Brivo model shows either its ROM or its save RAM at byte 0x200000; the compatibility
// command switches between them. Every operation that reads or writes there switches first.
#pragma once

#include <cstdint>

#include <velk_series/velk_series.h>

namespace nuvrel {

enum class BrivoWindow : std::uint8_t {
    Rom = VELK_COMPAT_ROM_MODE,
    SaveRam = VELK_COMPAT_SAVE_RAM_MODE,
};

// On a Brivo device, sends the switch to the wanted window; other models need none. False only
// when the switch was sent and its transfer failed.
bool SelectBrivoWindow(DeviceHandle device, BrivoWindow window);

}  // namespace nuvrel
