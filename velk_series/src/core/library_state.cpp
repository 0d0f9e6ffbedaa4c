// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#include "core/library_state.h"

namespace velk {

namespace {
constinit LibraryState g_state{};
constinit std::atomic<std::uint8_t> g_busy{0};
}  // namespace

LibraryState& libraryState() {
    return g_state;
}

std::atomic<std::uint8_t>& busyFlag() {
    return g_busy;
}

DeviceHandle pipePairHandle() {
    return &g_state.pipes;
}

PipePair* pipePairOf(DeviceHandle device) {
    return device == pipePairHandle() ? &g_state.pipes : nullptr;
}

void resetLibraryState() {
    g_state = LibraryState{};
    g_busy.store(0);
}

}  // namespace velk
