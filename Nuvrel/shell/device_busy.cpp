// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "shell/device_busy.h"

#include "engine/device_gate.h"

namespace nuvrel {

bool deviceInUse() {
    return DeviceGate::inUse();
}

}  // namespace nuvrel
