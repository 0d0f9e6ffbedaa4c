// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "device_listing.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "printable_text.h"

namespace nuvrel::cli {

std::vector<VelkDeviceListing> ListDevices(std::uint32_t flags) {
    // A device plugged in between the two calls is left for the next listing.
    std::vector<VelkDeviceListing> devices(ListVelkDevices(nullptr, 0, flags));
    const std::uint32_t count =
        ListVelkDevices(devices.data(), static_cast<std::uint32_t>(devices.size()), flags);
    if (count < devices.size()) {
        devices.resize(count);
    }
    return devices;
}

std::vector<std::pair<std::uint16_t, std::uint16_t>> ListedUsbIds() {
    std::vector<VelkUsbId> ids(ListVelkUsbIds(nullptr, 0));
    const std::uint32_t count = ListVelkUsbIds(ids.data(), static_cast<std::uint32_t>(ids.size()));
    ids.resize(std::min<std::size_t>(ids.size(), count));
    std::vector<std::pair<std::uint16_t, std::uint16_t>> pairs;
    for (const VelkUsbId& id : ids) {
        pairs.emplace_back(id.vendorId, id.productId);
    }
    return pairs;
}

bool IsVirtual(const VelkDeviceListing& device) {
    return device.hasUsbId == 0;
}

std::string UsbIdText(std::uint16_t vendor, std::uint16_t product) {
    char text[10];
    std::snprintf(text, sizeof text, "%04x:%04x", static_cast<unsigned>(vendor),
                  static_cast<unsigned>(product));
    return text;
}

std::string DeviceLine(const VelkDeviceListing& device, bool triedOpen) {
    std::string line = Printable(device.name);
    if (IsVirtual(device)) {
        const char* socket = std::strchr(device.path, ':');
        line += "  velk-sim at " + Printable(socket != nullptr ? socket + 1 : device.path);
    } else {
        line += "  " + UsbIdText(device.vendorId, device.productId);
        if (device.serial[0] != '\0') {
            line += "  serial " + Printable(device.serial);
        }
        if (device.description[0] != '\0') {
            line += "  \"" + Printable(device.description) + "\"";
        }
    }
    if (device.listed == 0) {
        line += "  not on the USB ID list";
    } else if (device.problem[0] != '\0') {
        line += "  cannot be used: " + Printable(device.problem);
    } else if (triedOpen) {
        line += "  ready";
    }
    return line;
}

}  // namespace nuvrel::cli
