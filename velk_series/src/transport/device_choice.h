// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: LGPL-2.1-or-later

// Which device OpenVelkDevice takes when several are attached. Without a selector it is the
// first in the backends' order (USB devices by bus and port number, then velk-sim devices by
// socket path); a program that lets the user choose sets a selector first.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "transport/transport.h"

namespace velk {

// A selector names a device by its USB path ("1-4.2"), its ID ("VVVV:PPPP"), its serial number,
// its velk-sim name ("sim:NAME") or its full device path ("usb:1-4.2", "sim:/run/.../x.sock").
bool selectorMatches(const DeviceListing& device, std::string_view selector);

// Empty: the first device.
void setDeviceSelector(std::string selector);
const std::string& deviceSelector();

// The paths of a backend's devices that the selector allows, in the backend's order.
std::vector<std::string> pathsToTry(Backend& backend);

// Every backend's devices in order. tryOpen opens each Velk device that nothing is known against,
// and closes it again, to tell whether it is free.
std::vector<DeviceListing> listDevices(bool withUnlisted, bool tryOpen);

}  // namespace velk
