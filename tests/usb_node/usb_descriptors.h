// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The descriptors and the sysfs entry of a Velk device (and of the hubs above it) as the kernel
// shows them: what libusb reads to list a device without opening it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "usb_node.h"

namespace velkusb {

inline constexpr std::uint8_t kBulkIn = 0x81;
inline constexpr std::uint8_t kBulkOut = 0x01;
inline constexpr std::size_t kPacketBytes = 64;

// Device descriptor, then the configuration with one interface and its two bulk endpoints.
std::vector<std::uint8_t> velkDescriptors(const NodeDeviceConfig& config);

// A standard GET_DESCRIPTOR answer (device, configuration, strings 0-3); nothing for the rest.
std::optional<std::vector<std::uint8_t>> descriptorAnswer(const NodeDeviceConfig& config,
                                                          std::uint16_t value, std::uint16_t index);

// umockdev's text format ("P:", "N:", "E:", "A:", "H:" lines) for the device on `port` with
// device number `devnum`; the sysfs path of its parent is `parentPath`.
std::string velkSysfsEntry(const NodeDeviceConfig& config, const std::string& parentPath,
                           unsigned devnum);

// A hub: the root hub "usbN" (parentPath empty) or an external hub at `port`.
std::string hubSysfsEntry(const std::string& sysPath, const std::string& port, unsigned bus,
                          unsigned devnum);

// "1-4.2" -> bus 1, ports {4, 2}; nothing when the text is not a port path.
struct PortPath {
    unsigned bus = 0;
    std::vector<unsigned> ports;
};
std::optional<PortPath> parsePort(const std::string& text);

}  // namespace velkusb
