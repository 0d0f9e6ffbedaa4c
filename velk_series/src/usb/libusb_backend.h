// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: LGPL-2.1-or-later

// USB devices through libusb-1.0 (Linux). "PIPE00" is the interface's bulk IN endpoint and
// "PIPE01" its bulk OUT endpoint. Paths look like "usb:<bus>-<port>.<port>...".
#pragma once

#include "transport/transport.h"

namespace velk {

// The process-wide libusb backend. Finds nothing when libusb cannot start or the machine has no
// USB device nodes.
Backend* libusbBackend();

}  // namespace velk
