// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: LGPL-2.1-or-later

// Listing and choosing devices for programs that let the user pick one.
#include <cstring>
#include <string>

#include "transport/device_choice.h"
#include "usb/usb_id_list.h"
#include "velk_series/velk_series.h"

namespace {

template <std::size_t N>
void copyText(char (&target)[N], const std::string& text) {
    const std::size_t length = text.size() < N - 1 ? text.size() : N - 1;
    std::memcpy(target, text.data(), length);
    target[length] = '\0';
}

VelkDeviceListing entryOf(const velk::DeviceListing& device) {
    VelkDeviceListing entry{};
    copyText(entry.path, device.path);
    copyText(entry.name, device.name);
    copyText(entry.serial, device.serial);
    copyText(entry.description, device.description);
    copyText(entry.problem, device.problem);
    entry.vendorId = device.vendor;
    entry.productId = device.product;
    entry.hasUsbId = device.hasUsbId ? 1 : 0;
    entry.listed = device.listed ? 1 : 0;
    return entry;
}

}  // namespace

extern "C" {

uint32_t VELK_CALL ListVelkDevices(VelkDeviceListing* entries, uint32_t capacity, uint32_t flags) {
    const auto devices =
        velk::listDevices((flags & VELK_LIST_UNLISTED_USB) != 0, (flags & VELK_LIST_TRY_OPEN) != 0);
    for (std::size_t i = 0; entries != nullptr && i < devices.size() && i < capacity; ++i) {
        entries[i] = entryOf(devices[i]);
    }
    return static_cast<uint32_t>(devices.size());
}

uint32_t VELK_CALL SelectVelkDevice(const char* selector) {
    velk::setDeviceSelector(selector != nullptr ? selector : "");
    uint32_t matches = 0;
    for (const velk::DeviceListing& device : velk::listDevices(false, false)) {
        if (device.listed && velk::selectorMatches(device, velk::deviceSelector())) {
            ++matches;
        }
    }
    return matches;
}

uint32_t VELK_CALL ListVelkUsbIds(VelkUsbId* ids, uint32_t capacity) {
    const auto listed = velk::listedUsbIds();
    for (std::size_t i = 0; ids != nullptr && i < listed.size() && i < capacity; ++i) {
        VelkUsbId& id = ids[i];
        id = VelkUsbId{};
        id.vendorId = listed[i].vendor;
        id.productId = listed[i].product;
        copyText(id.description, listed[i].description);
        copyText(id.source, listed[i].source);
    }
    return static_cast<uint32_t>(listed.size());
}

}  // extern "C"
