// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The library's device listing as nuvrel-cli shows it: for the devices command, and for the
// list a device command prints when it cannot tell which device was meant.
#pragma once

#include <velk_series/velk_series.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace nuvrel::cli {

std::vector<VelkDeviceListing> ListDevices(std::uint32_t flags);

// The built-in IDs, then the ID files'.
std::vector<std::pair<std::uint16_t, std::uint16_t>> ListedUsbIds();

bool IsVirtual(const VelkDeviceListing& device);

// "1209:0007"
std::string UsbIdText(std::uint16_t vendor, std::uint16_t product);

// One line without its end: the name, then what the device is and whether it can be used
// ("ready" only when the listing opened it to find out).
std::string DeviceLine(const VelkDeviceListing& device, bool triedOpen);

}  // namespace nuvrel::cli
