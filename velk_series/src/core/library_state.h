// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: LGPL-2.1-or-later

// The library's process-wide state. Everything starts at zero (or at the shared blocks' load-time
// bytes) and nothing runs at load: the object is constant-initialised.
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>

#include "core/command_block.h"
#include "velk_series/velk_series.h"

namespace velk {

// A pipe as the command layer sees it: an opaque number, -1 when invalid.
using PipeHandle = std::intptr_t;
inline constexpr PipeHandle kInvalidPipe = -1;

// "PIPE00" (device to host) first, then "PIPE01" (host to device).
struct PipePair {
    PipeHandle pipe00 = 0;
    PipeHandle pipe01 = 0;
};

inline constexpr std::size_t kDevicePathSize = 256;
inline constexpr std::size_t kMaxPipePathLength = 255;
inline constexpr std::size_t kReplyBufferSize = 64;

struct LibraryState {
    std::int32_t openCount = 0;
    DeviceHandle lastOpenResult = nullptr;  // neither valid nor invalid until the first open
    // The last open failed for a reason the user was already told (in use, no permission).
    bool lastOpenRefused = false;
    PipePair pipes;
    std::array<char, kDevicePathSize> devicePath{};
    std::array<std::uint8_t, kReplyBufferSize> reply{};  // shared by the information commands
    SharedBlocks blocks;
};

LibraryState& libraryState();

// The busy flag lives apart from the rest: a program's user-interface thread reads it while a
// worker's calls clear it on a failed transfer, so it must be atomic; the rest of the state is
// only ever used by the one thread that holds the device.
std::atomic<std::uint8_t>& busyFlag();

// The one valid DeviceHandle: a reference to the pipe pair.
DeviceHandle pipePairHandle();

// The pipe pair behind a handle, or null for -1, null or anything that is not the pair.
PipePair* pipePairOf(DeviceHandle device);

// Back to the state at load (open pipes are forgotten, not closed; see resetLibraryForTesting).
void resetLibraryState();

}  // namespace velk
