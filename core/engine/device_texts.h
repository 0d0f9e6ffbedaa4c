// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The texts about the device that the program and the command line both show, defined once.
#pragma once

namespace nuvrel {

// The library's own words for no device at all, for callers that asked quietly and say it
// themselves.
inline constexpr const char* kDeviceNotDetectedText = "Device Not Detected!";
// Another operation holds the device.
inline constexpr const char* kDeviceBusyText = "Velk Device is Busy!";

}  // namespace nuvrel
