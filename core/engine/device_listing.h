// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later
//
// The library's listing of attached devices as the user sees it, in the command line's devices
// list and in the window's device choice alike.
#pragma once

#include <velk_series/velk_series.h>

#include <cstdint>
#include <string>
#include <vector>

namespace nuvrel {

std::vector<VelkDeviceListing> ListDevices(std::uint32_t flags);

bool IsVirtual(const VelkDeviceListing& device);

// "1209:0007"
std::string UsbIdText(std::uint16_t vendor, std::uint16_t product);

// One line without its end: the name, then what the device is and whether it can be used
// ("ready" only when the listing opened it to find out).
std::string DeviceLine(const VelkDeviceListing& device, bool triedOpen);

// What names this device across plug-ins and restarts: its serial number, or its name
// ("1-4.2", "sim:NAME") when it has none. SelectVelkDevice takes either.
std::string DeviceIdentity(const VelkDeviceListing& device);

// Makes the library's next open take the device with that identity, and no other; an empty one
// takes the first device again.
void ChooseDevice(const std::string& identity);

}  // namespace nuvrel
