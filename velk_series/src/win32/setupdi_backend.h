// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: LGPL-2.1-or-later

// The device through its Windows driver: found by device-interface class with SetupDi, its pipes
// opened as files named by the interface path plus "\PIPE00" or "\PIPE01".
#pragma once

#include "transport/transport.h"

namespace velk {

Backend* setupDiBackend();

}  // namespace velk
