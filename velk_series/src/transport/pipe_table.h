// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: LGPL-2.1-or-later

// Pipes as opened handles. Both pipes of one device share one Connection (a USB interface can
// be claimed only once), which is released when its last pipe is closed.
#pragma once

#include <cstdint>
#include <span>

#include "core/library_state.h"
#include "transport/transport.h"

namespace velk {

// Finds the device afresh (every backend, in order) and opens the named pipe on it; the device
// path buffer is left holding the path and the pipe name. kInvalidPipe when there is no device,
// the path is too long or the name is not a pipe of the device; then *refusal (when given) says
// why a device that was found could not be opened, if its backend knew.
PipeHandle openPipe(const char* pipeName, OpenRefusal* refusal = nullptr);

// Closing an unknown or already closed handle does nothing.
void closePipe(PipeHandle pipe);

// Transfers on "PIPE01" (out) and "PIPE00" (in); any other handle fails.
TransferResult pipeOut(PipeHandle pipe, std::span<const std::uint8_t> data);
TransferResult pipeIn(PipeHandle pipe, std::span<std::uint8_t> buffer);

// A command block on "PIPE01" queued together with its phase: out on "PIPE01" again, or in on
// "PIPE00". Handles that are not such pipes, or pipes on different devices, fail before anything
// is sent.
QueuedResult pipeOutThenOut(PipeHandle out, std::span<const std::uint8_t> first,
                            std::span<const std::uint8_t> second);
QueuedResult pipeOutThenIn(PipeHandle out, PipeHandle in, std::span<const std::uint8_t> first,
                           std::span<std::uint8_t> second);

// Forgets every pipe and connection (tests start from a clean library).
void closeAllPipes();

}  // namespace velk
