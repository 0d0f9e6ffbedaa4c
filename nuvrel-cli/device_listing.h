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

#include "engine/device_listing.h"

namespace nuvrel::cli {

// Shared with the window.
using nuvrel::DeviceLine;
using nuvrel::IsVirtual;
using nuvrel::ListDevices;
using nuvrel::UsbIdText;

// The built-in IDs, then the ID files'.
std::vector<std::pair<std::uint16_t, std::uint16_t>> ListedUsbIds();

}  // namespace nuvrel::cli
