// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: LGPL-2.1-or-later

// Virtual devices (velk-sim) listening on Unix-domain sockets, found after real USB devices.
#pragma once

#include "transport/transport.h"

namespace velk {

// The process-wide backend for virtual devices; null on platforms without one.
Backend* virtualDeviceBackend();

}  // namespace velk
