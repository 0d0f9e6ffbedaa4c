// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#include "transport/device_choice.h"

#include "messages/open_refusal.h"
#include "usb/usb_id_list.h"

#if !defined(_WIN32)
#include "transport/virtual_device_protocol.h"
#endif

namespace velk {

namespace {

std::string& selector() {
    static std::string text;
    return text;
}

// "sim:/run/user/1000/velk-series/bench.sock" is "sim:bench" to the user.
std::string nameOf(const std::string& path) {
#if defined(_WIN32)
    return path;
#else
    const std::string prefix = vdev::kPathPrefix;
    const std::string suffix = vdev::kSocketSuffix;
    if (path.compare(0, prefix.size(), prefix) != 0) {
        return path;
    }
    std::string name = path.substr(path.rfind('/') + 1);
    if (name.size() > suffix.size() &&
        name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0) {
        name.resize(name.size() - suffix.size());
    }
    return prefix + name;
#endif
}

std::string probeProblem(Backend& backend, const std::string& path) {
    const OpenResult opened = backend.open(path);
    if (opened.connection) {
        return {};
    }
    const std::string reason = openRefusalText(opened.refusal);
    return reason.empty() ? "it cannot be opened" : reason;
}

}  // namespace

std::vector<DeviceListing> Backend::list(bool /*withUnlisted*/) {
    std::vector<DeviceListing> listings;
    for (const std::string& path : enumerate()) {
        DeviceListing listing;
        listing.path = path;
        listing.name = nameOf(path);
        listings.push_back(std::move(listing));
    }
    return listings;
}

bool selectorMatches(const DeviceListing& device, std::string_view wanted) {
    if (wanted.empty()) {
        return true;
    }
    if (wanted == device.name || (!device.path.empty() && wanted == device.path)) {
        return true;
    }
    if (const auto id = parseUsbIdPair(wanted)) {
        return device.hasUsbId && id->vendor == device.vendor && id->product == device.product;
    }
    return !device.serial.empty() && wanted == device.serial;
}

void setDeviceSelector(std::string text) {
    selector() = std::move(text);
}

const std::string& deviceSelector() {
    return selector();
}

std::vector<std::string> pathsToTry(Backend& backend) {
    if (selector().empty()) {
        return backend.enumerate();
    }
    std::vector<std::string> paths;
    for (const DeviceListing& device : backend.list(false)) {
        if (device.listed && !device.path.empty() && selectorMatches(device, selector())) {
            paths.push_back(device.path);
        }
    }
    return paths;
}

std::vector<DeviceListing> listDevices(bool withUnlisted, bool tryOpen) {
    std::vector<DeviceListing> all;
    for (Backend* backend : activeBackends()) {
        if (backend == nullptr) {
            continue;
        }
        for (DeviceListing& device : backend->list(withUnlisted)) {
            if (tryOpen && device.listed && device.problem.empty() && !device.path.empty()) {
                device.problem = probeProblem(*backend, device.path);
            }
            all.push_back(std::move(device));
        }
    }
    return all;
}

}  // namespace velk
