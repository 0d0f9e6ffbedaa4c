// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: LGPL-2.1-or-later

// The USB devices the library drives without being told (users add others in ID files, see
// usb_id_list.h). The udev rule shipped in velk_series/udev is checked against this list by a
// test, so add new IDs here and there together.
//
// The Velk series has no published USB IDs; these are placeholders from the pid.codes test range
// until the real ones are known.
#pragma once

#include <array>
#include <cstdint>

namespace velk {

struct UsbDeviceId {
    std::uint16_t vendor;
    std::uint16_t product;
    const char* model;
};

inline constexpr std::array<UsbDeviceId, 2> kUsbDeviceIds{{
    {0x1209, 0x0007, "Velk series cartridge loader (placeholder ID)"},
    {0x1209, 0x0008, "Velk series cartridge loader, boot loader mode (placeholder ID)"},
}};

constexpr bool isVelkUsbDevice(std::uint16_t vendor, std::uint16_t product) {
    for (const UsbDeviceId& id : kUsbDeviceIds) {
        if (id.vendor == vendor && id.product == product) {
            return true;
        }
    }
    return false;
}

}  // namespace velk
