// The steps a command is made of: send its block, send a data phase, receive a reply. Each goes
// through the exported Write and Read, exactly as a caller of those exports would.
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

}  // namespace velk
