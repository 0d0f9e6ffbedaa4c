// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#include "usb/interface_shape.h"

namespace velk {

namespace {

constexpr std::uint8_t kTransferTypeMask = 0x03;
constexpr std::uint8_t kBulkTransfer = 0x02;
constexpr std::uint8_t kDirectionIn = 0x80;

}  // namespace

ShapeVerdict checkInterfaceShape(const std::vector<UsbInterfaceShape>& interfaces) {
    for (const UsbInterfaceShape& interface : interfaces) {
        const UsbEndpointShape* in = nullptr;
        const UsbEndpointShape* out = nullptr;
        int ins = 0;
        int outs = 0;
        for (const UsbEndpointShape& endpoint : interface.endpoints) {
            if ((endpoint.attributes & kTransferTypeMask) != kBulkTransfer) {
                continue;
            }
            if ((endpoint.address & kDirectionIn) != 0) {
                in = &endpoint;
                ++ins;
            } else {
                out = &endpoint;
                ++outs;
            }
        }
        if (ins != 1 || outs != 1) {
            continue;
        }
        if (in->maxPacketSize != kVelkPacketBytes || out->maxPacketSize != kVelkPacketBytes) {
            return {std::nullopt, "its bulk endpoints have " + std::to_string(in->maxPacketSize) +
                                      "/" + std::to_string(out->maxPacketSize) +
                                      "-byte packets, not 64"};
        }
        return {BulkPipes{interface.number, in->address, out->address, kVelkPacketBytes}, {}};
    }
    return {std::nullopt, "it has no interface with one bulk IN and one bulk OUT endpoint"};
}

}  // namespace velk
