// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: LGPL-2.1-or-later

// Counted open and close, and the two raw transfer exports.
#include <span>

#include "core/library_state.h"
#include "messages/open_refusal.h"
#include "transport/pipe_table.h"
#include "velk_series/velk_series.h"

using velk::kInvalidPipe;
using velk::libraryState;

namespace {

// Callers size their buffers by the count they asked for and copy that many bytes on; a
// transport that claims to have moved more must not make them read or write past the buffer.
uint32_t countWithin(const velk::TransferResult& result, uint32_t requested) {
    return result.count < requested ? static_cast<uint32_t>(result.count) : requested;
}

}  // namespace

extern "C" {

DeviceHandle VELK_CALL OpenVelkDevice(void) {
    velk::LibraryState& state = libraryState();
    if (state.lastOpenResult == VELK_INVALID_DEVICE) {
        state.openCount = 0;
    } else if (state.openCount != 0) {
        ++state.openCount;
        return state.lastOpenResult;
    }

    DeviceHandle result = VELK_INVALID_DEVICE;
    velk::OpenRefusal refusal = velk::OpenRefusal::None;
    state.pipes.pipe00 = velk::openPipe("PIPE00", &refusal);
    if (state.pipes.pipe00 != kInvalidPipe) {
        state.pipes.pipe01 = velk::openPipe("PIPE01");
        if (state.pipes.pipe01 == kInvalidPipe) {
            velk::closePipe(state.pipes.pipe00);
        } else {
            result = velk::pipePairHandle();
        }
    }
    // Counted also when the open failed: the -1 left behind makes the next call start afresh.
    ++state.openCount;
    state.lastOpenResult = result;
    // A device that is there but cannot be had is not "no device": say why, once per open.
    state.lastOpenRefused = result == VELK_INVALID_DEVICE && refusal != velk::OpenRefusal::None;
    if (state.lastOpenRefused) {
        velk::reportOpenRefusal(refusal);
    }
    return result;
}

void VELK_CALL CloseVelkDevice(DeviceHandle device) {
    velk::LibraryState& state = libraryState();
    --state.openCount;
    if (state.openCount != 0) {
        return;
    }
    // The handles and the last open result stay as they are; a count of 0 makes the next open
    // enumerate again, which is what finds a replugged device.
    if (velk::PipePair* pair = velk::pipePairOf(device)) {
        if (pair->pipe00 != kInvalidPipe) {
            velk::closePipe(pair->pipe00);
        }
        if (pair->pipe01 != kInvalidPipe) {
            velk::closePipe(pair->pipe01);
        }
    }
}

int VELK_CALL Write(DeviceHandle device, const void* buffer, uint32_t count, uint32_t* transferred,
                    void* /*overlapped*/) {
    if (transferred != nullptr) {
        *transferred = 0;
    }
    velk::PipePair* pair = velk::pipePairOf(device);
    if (pair == nullptr || (buffer == nullptr && count != 0)) {
        return 0;
    }
    const velk::TransferResult result =
        velk::pipeOut(pair->pipe01, {static_cast<const std::uint8_t*>(buffer), count});
    if (transferred != nullptr) {
        *transferred = countWithin(result, count);
    }
    return result.ok() ? 1 : 0;
}

int VELK_CALL Read(DeviceHandle device, void* buffer, uint32_t count, uint32_t* transferred,
                   void* /*overlapped*/) {
    if (transferred != nullptr) {
        *transferred = 0;
    }
    velk::PipePair* pair = velk::pipePairOf(device);
    if (pair == nullptr || (buffer == nullptr && count != 0)) {
        return 0;
    }
    const velk::TransferResult result =
        velk::pipeIn(pair->pipe00, {static_cast<std::uint8_t*>(buffer), count});
    if (transferred != nullptr) {
        *transferred = countWithin(result, count);
    }
    return result.ok() ? 1 : 0;
}

}  // extern "C"
