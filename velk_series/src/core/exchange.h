// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: LGPL-2.1-or-later

// The steps a command is made of: send its block, send a data phase, receive a reply. The single
// steps go through the exported Write and Read, exactly as a caller of those exports would; a
// block with its phase is queued as one pair, so both can share the bus frames.
#pragma once

#include <cstddef>
#include <optional>

#include "core/command_block.h"
#include "velk_series/velk_series.h"

namespace velk {

// True when all 31 bytes went out.
bool sendBlock(DeviceHandle device, const CommandBlock& block);

// True when every byte went out; a zero-length phase sends nothing and succeeds.
bool sendData(DeviceHandle device, const void* data, std::size_t size);

// Receives up to `size` bytes; the count received, or nothing when the transfer failed. A
// zero-length phase receives nothing and yields 0.
std::optional<std::size_t> receive(DeviceHandle device, void* buffer, std::size_t size);

// sendBlock then sendData, queued together: the same bytes, the same result, and the data never
// reaches the device when the block did not go out in full.
bool sendBlockWithData(DeviceHandle device, const CommandBlock& block, const void* data,
                       std::size_t size);

// sendBlock then receive, queued together, with the same results.
std::optional<std::size_t> sendBlockForReply(DeviceHandle device, const CommandBlock& block,
                                             void* buffer, std::size_t size);

// False when the environment variable VELK_SERIES_NO_QUEUE is set (to anything but "0"): every
// transfer then waits for the one before it, as a comparison for benchmarks.
bool queueingEnabled();

}  // namespace velk
