// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "engine/brivo_window.h"

#include "engine/device_session.h"

namespace nuvrel {

bool SelectBrivoWindow(DeviceSession& device, BrivoWindow window) {
    if (IsVelkBrivo(device.get()) != 0) {
        Compatibility(device.get(), static_cast<std::uint8_t>(window));
    }
    return device.answering();
}

}  // namespace nuvrel
