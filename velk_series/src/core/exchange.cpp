// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#include "core/exchange.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <span>

#include "core/library_state.h"
#include "transport/pipe_table.h"

namespace velk {

namespace {

std::span<const std::uint8_t> blockBytes(const CommandBlock& block) {
    return {block.data(), block.size()};
}

}  // namespace

bool sendBlock(DeviceHandle device, const CommandBlock& block) {
    return sendData(device, block.data(), block.size());
}

bool sendData(DeviceHandle device, const void* data, std::size_t size) {
    if (size == 0) {
        return true;
    }
    std::uint32_t sent = 0;
    const auto count = static_cast<std::uint32_t>(size);
    return Write(device, data, count, &sent, nullptr) != 0 && sent == count;
}

std::optional<std::size_t> receive(DeviceHandle device, void* buffer, std::size_t size) {
    if (size == 0) {
        return std::size_t{0};
    }
    std::uint32_t received = 0;
    if (Read(device, buffer, static_cast<std::uint32_t>(size), &received, nullptr) == 0) {
        return std::nullopt;
    }
    return std::size_t{received};
}

bool sendBlockWithData(DeviceHandle device, const CommandBlock& block, const void* data,
                       std::size_t size) {
    const PipePair* pair = pipePairOf(device);
    // Whatever a pair cannot carry (no phase, no buffer, no device) goes the single-step way,
    // which already gives these cases their results.
    if (!queueingEnabled() || size == 0 || data == nullptr || pair == nullptr) {
        return sendBlock(device, block) && sendData(device, data, size);
    }
    const QueuedResult result = pipeOutThenOut(pair->pipe01, blockBytes(block),
                                               {static_cast<const std::uint8_t*>(data), size});
    return completedInFull(result.first, block.size()) && completedInFull(result.second, size);
}

std::optional<std::size_t> sendBlockForReply(DeviceHandle device, const CommandBlock& block,
                                             void* buffer, std::size_t size) {
    const PipePair* pair = pipePairOf(device);
    if (!queueingEnabled() || size == 0 || buffer == nullptr || pair == nullptr) {
        if (!sendBlock(device, block)) {
            return std::nullopt;
        }
        return receive(device, buffer, size);
    }
    const QueuedResult result = pipeOutThenIn(pair->pipe01, pair->pipe00, blockBytes(block),
                                              {static_cast<std::uint8_t*>(buffer), size});
    if (!completedInFull(result.first, block.size()) || !result.second.ok()) {
        return std::nullopt;
    }
    // A transport that claims more than was asked for has still filled only the buffer.
    return std::min(result.second.count, size);
}

bool queueingEnabled() {
    static const bool enabled = [] {
        const char* off = std::getenv("VELK_SERIES_NO_QUEUE");
        return off == nullptr || off[0] == '\0' || std::strcmp(off, "0") == 0;
    }();
    return enabled;
}

}  // namespace velk
