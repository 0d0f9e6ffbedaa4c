// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: LGPL-2.1-or-later

// The busy flag: one byte that callers use to keep two operations off the device at once.
#include "core/library_state.h"
#include "velk_series/velk_series.h"

extern "C" {

uint8_t VELK_CALL IsVelkDeviceProcessed(void) {
    return velk::busyFlag().load();
}

uint8_t VELK_CALL SetVelkDeviceProcessed(uint8_t value) {
    velk::busyFlag().store(value);
    return value;
}

VelkBool VELK_CALL ReturnFalseClear(void) {
    velk::busyFlag().store(0);
    return 0;
}

}  // extern "C"
