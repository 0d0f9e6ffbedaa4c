// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: LGPL-2.1-or-later

// Whether a USB device has the interface the Velk protocol runs on: one bulk IN and one bulk OUT
// endpoint with 64-byte packets. A listed ID on a device of another shape is most likely a wrong
// entry in an ID file; talking to it would send command blocks to something else.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace velk {

inline constexpr std::uint16_t kVelkPacketBytes = 64;

struct UsbEndpointShape {
    std::uint8_t address = 0;     // bit 7 set: IN (device to host)
    std::uint8_t attributes = 0;  // bits 0-1: transfer type, 2 = bulk
    std::uint16_t maxPacketSize = 0;
};

// The first alternate setting of one interface.
struct UsbInterfaceShape {
    std::uint8_t number = 0;
    std::vector<UsbEndpointShape> endpoints;
};

struct BulkPipes {
    int interfaceNumber = -1;
    std::uint8_t inEndpoint = 0;
    std::uint8_t outEndpoint = 0;
    std::size_t packetSize = kVelkPacketBytes;
};

struct ShapeVerdict {
    std::optional<BulkPipes> pipes;  // set when the device fits
    std::string refusal;             // why not, when it does not
};

// The first interface with exactly one bulk IN and one bulk OUT endpoint decides.
ShapeVerdict checkInterfaceShape(const std::vector<UsbInterfaceShape>& interfaces);

}  // namespace velk
