// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#include <vector>

#include "transport/transport.h"

#if defined(_WIN32)
#include "win32/setupdi_backend.h"
#else
#include "transport/virtual_device_backend.h"
#include "usb/libusb_backend.h"
#endif

namespace velk {

namespace {

std::vector<Backend*>& overriddenBackends() {
    static std::vector<Backend*> backends;
    return backends;
}

}  // namespace

std::vector<Backend*> activeBackends() {
    if (!overriddenBackends().empty()) {
        return overriddenBackends();
    }
#if defined(_WIN32)
    return {setupDiBackend()};
#else
    return {libusbBackend(), virtualDeviceBackend()};
#endif
}

void overrideBackendsForTesting(std::vector<Backend*> backends) {
    overriddenBackends() = std::move(backends);
}

}  // namespace velk
