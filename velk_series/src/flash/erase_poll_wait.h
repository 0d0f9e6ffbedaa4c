// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: LGPL-2.1-or-later

// The one wait the library does: before each erase status poll.
#pragma once

#include <chrono>

namespace velk {

inline constexpr std::chrono::milliseconds kErasePollInterval{100};
inline constexpr int kErasePollLimit = 800;

void waitBeforeErasePoll();

}  // namespace velk
