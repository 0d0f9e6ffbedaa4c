// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: LGPL-2.1-or-later

// The built-in sector layouts of the known flash chips. Each template ends with a row whose name
// is empty; identifier and chip index are 0 in every row.
#pragma once

#include "velk_series/velk_series.h"

namespace velk {

const SectorEntry* sixteenMbitTemplate();      // SBB00-SBB34, 2 MiB
const SectorEntry* bottomBootPart1Template();  // SA00-SA38, 2 MiB, small sectors at the bottom
const SectorEntry* bottomBootPart2Template();  // SA39-SA70, upper 2 MiB
const SectorEntry* topBootPart1Template();     // SA00-SA31, lower 2 MiB
const SectorEntry* topBootPart2Template();     // SA32-SA70, 2 MiB, small sectors at the top

}  // namespace velk
