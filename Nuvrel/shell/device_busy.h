// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Whether the device may be used now: the gate is closed while an operation holds it, even after
// a failing command cleared the library's busy flag, and while the flag is set elsewhere.
#pragma once

namespace nuvrel {

bool deviceInUse();

}  // namespace nuvrel
