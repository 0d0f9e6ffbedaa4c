// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: LGPL-2.1-or-later

// The library's own messages to the user. The program installs a handler that shows them in its
// windows; without one they go to stderr.
#pragma once

#include "velk_series/velk_series.h"

namespace velk {

// An empty caption asks the program to use its own name.
void showLibraryMessage(const char* caption, const char* text, VelkMessageIcon icon);

void resetMessageHandler();

}  // namespace velk
