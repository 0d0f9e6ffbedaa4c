// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: LGPL-2.1-or-later

// The USB bus as the Velk backend needs it: what is attached (from descriptors the system keeps,
// nothing is sent to a device to list it) and opening one device's bulk pipes. libusb provides
// the real one; tests put a fake in its place.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "transport/transport.h"
#include "usb/interface_shape.h"

namespace velk {

struct UsbDeviceRecord {
    std::string port;  // "<bus>-<port>.<port>...", or "<bus>@<address>" without port numbers
    std::uint16_t vendor = 0;
    std::uint16_t product = 0;
    std::string serial;    // as the kernel read it at plug-in; empty when none or unknown
    std::string nodePath;  // the device node, "/dev/bus/usb/BBB/DDD"
    bool configurationKnown = false;
    std::vector<UsbInterfaceShape> interfaces;  // of the active configuration
};

class UsbBus {
  public:
    virtual ~UsbBus() = default;
    virtual std::vector<UsbDeviceRecord> devices() = 0;
    // Opens and claims the interface of a device devices() returned; a listed device only.
    virtual OpenResult open(const UsbDeviceRecord& device, const BulkPipes& pipes) = 0;
};

// The libusb bus (Linux); finds nothing where libusb cannot start or there are no device nodes.
UsbBus* libusbBus();

// Tests replace the bus; null restores libusb.
void overrideUsbBusForTesting(UsbBus* bus);

}  // namespace velk
