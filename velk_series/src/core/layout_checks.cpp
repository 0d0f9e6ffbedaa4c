// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: LGPL-2.1-or-later

// The records that cross the library boundary have a fixed layout that callers rely on.
#include <cstddef>

#include "velk_series/velk_series.h"

static_assert(sizeof(DeviceInfoRecord) == 120);
static_assert(offsetof(DeviceInfoRecord, firmwareVersion) == 0);
static_assert(offsetof(DeviceInfoRecord, bootVersion) == 16);
static_assert(offsetof(DeviceInfoRecord, text1) == 32);
static_assert(offsetof(DeviceInfoRecord, text2) == 56);
static_assert(offsetof(DeviceInfoRecord, text3) == 80);
static_assert(offsetof(DeviceInfoRecord, addressText2) == 104);

static_assert(sizeof(SectorEntry) == 32);
static_assert(offsetof(SectorEntry, name) == 0);
static_assert(offsetof(SectorEntry, wordAddress) == 12);
static_assert(offsetof(SectorEntry, end) == 16);
static_assert(offsetof(SectorEntry, size) == 20);
static_assert(offsetof(SectorEntry, chipId) == 24);
static_assert(offsetof(SectorEntry, chipIndex) == 28);
static_assert(sizeof(SectorTable) == 100 * 32);
