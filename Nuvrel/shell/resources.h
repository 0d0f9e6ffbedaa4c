// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The program's icons are compiled into its GUI library and must be registered before use.
#pragma once

namespace nuvrel {

void initResources();

}  // namespace nuvrel
