// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: LGPL-2.1-or-later

// Velk devices on the USB bus: a device is taken when its ID is listed and it has the protocol's
// interface; a listed device of another shape is refused with that reason rather than skipped,
// so the user hears why it is not used.
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <string>
#include <vector>

#include "usb/libusb_backend.h"
#include "usb/system_root.h"
#include "usb/usb_bus.h"
#include "usb/usb_id_list.h"

namespace velk {

namespace {

constexpr const char* kPathPrefix = "usb:";

UsbBus*& overriddenBus() {
    static UsbBus* bus = nullptr;
    return bus;
}

UsbBus& bus() {
    return overriddenBus() != nullptr ? *overriddenBus() : *libusbBus();
}

// "1-4.10" after "1-4.2": ports compare as numbers, so the order is the bus's own.
std::vector<unsigned long> portNumbers(const std::string& port) {
    std::vector<unsigned long> numbers;
    std::size_t start = 0;
    while (start <= port.size()) {
        const std::size_t end = port.find_first_of("-.@", start);
        numbers.push_back(std::strtoul(port.substr(start, end - start).c_str(), nullptr, 10));
        if (end == std::string::npos) {
            break;
        }
        start = end + 1;
    }
    return numbers;
}

void sortByPort(std::vector<UsbDeviceRecord>& devices) {
    std::stable_sort(devices.begin(), devices.end(),
                     [](const UsbDeviceRecord& a, const UsbDeviceRecord& b) {
                         return portNumbers(a.port) < portNumbers(b.port);
                     });
}

std::string accessProblem(const UsbDeviceRecord& device) {
    if (device.nodePath.empty()) {
        return {};
    }
    if (::access(systemPath(device.nodePath).c_str(), R_OK | W_OK) == 0 || errno != EACCES) {
        return {};
    }
    return "no permission to open " + device.nodePath +
           " (install the udev rule: nuvrel-cli udev-rule)";
}

ShapeVerdict shapeOf(const UsbDeviceRecord& device) {
    if (!device.configurationKnown) {
        return {std::nullopt, "its USB configuration cannot be read"};
    }
    return checkInterfaceShape(device.interfaces);
}

class UsbBackend final : public Backend {
  public:
    std::vector<std::string> enumerate() override {
        std::vector<std::string> paths;
        for (const UsbDeviceRecord& device : listedDevices()) {
            paths.push_back(kPathPrefix + device.port);
        }
        return paths;
    }

    OpenResult open(const std::string& path) override {
        for (const UsbDeviceRecord& device : listedDevices()) {
            if (kPathPrefix + device.port != path) {
                continue;
            }
            const ShapeVerdict shape = shapeOf(device);
            if (!shape.pipes) {
                return {nullptr, OpenRefusal::WrongShape};
            }
            return bus().open(device, *shape.pipes);
        }
        return {};  // unplugged since the enumeration
    }

    std::vector<DeviceListing> list(bool withUnlisted) override {
        const std::vector<ListedUsbId> ids = listedUsbIds();
        std::vector<UsbDeviceRecord> devices = bus().devices();
        sortByPort(devices);
        std::vector<DeviceListing> listings;
        for (const UsbDeviceRecord& device : devices) {
            const ListedUsbId* id = findListedUsbId(ids, device.vendor, device.product);
            const ShapeVerdict shape = shapeOf(device);
            if (id == nullptr && !(withUnlisted && shape.pipes)) {
                continue;
            }
            DeviceListing listing;
            listing.name = device.port;
            listing.hasUsbId = true;
            listing.vendor = device.vendor;
            listing.product = device.product;
            listing.serial = device.serial;
            listing.listed = id != nullptr;
            if (id != nullptr) {
                listing.path = kPathPrefix + device.port;
                listing.description = id->description;
                listing.problem = shape.pipes ? accessProblem(device) : shape.refusal;
            } else {
                listing.problem = "its ID is not on the USB ID list";
            }
            listings.push_back(std::move(listing));
        }
        return listings;
    }

  private:
    std::vector<UsbDeviceRecord> listedDevices() {
        const std::vector<ListedUsbId> ids = listedUsbIds();
        std::vector<UsbDeviceRecord> devices = bus().devices();
        std::erase_if(devices, [&ids](const UsbDeviceRecord& device) {
            return findListedUsbId(ids, device.vendor, device.product) == nullptr;
        });
        sortByPort(devices);
        return devices;
    }
};

}  // namespace

Backend* libusbBackend() {
    static UsbBackend backend;
    return &backend;
}

void overrideUsbBusForTesting(UsbBus* replacement) {
    overriddenBus() = replacement;
}

}  // namespace velk
