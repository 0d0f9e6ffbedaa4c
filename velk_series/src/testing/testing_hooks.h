// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: LGPL-2.1-or-later

// Hooks for the library's own tests and for tests of code built on it. Not exported from the
// shared library; link velk_series_core to use them.
#pragma once

#include <chrono>
#include <functional>

namespace velk {

// Everything back to the state at load: busy flag, open count, last open result, pipes, path and
// reply buffers, shared blocks, message handler, erase-poll sleep, the built-in backends, the
// device selector, the system root and which ID file problems were told.
void resetLibraryForTesting();

// Replaces the wait before each erase status poll (100 ms on a device); an empty function
// restores the real sleep.
void setPollSleepForTesting(std::function<void(std::chrono::milliseconds)> sleep);

}  // namespace velk
