// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "wire_timing.h"

#include <algorithm>

namespace velksim {

namespace {

// A zero-length or short transfer still needs one packet.
std::size_t packetsOf(std::size_t bytes) {
    return bytes == 0 ? 1 : (bytes + kPacketBytes - 1) / kPacketBytes;
}

}  // namespace

std::chrono::microseconds FullSpeedBus::carry(std::size_t bytes, bool queued) {
    std::size_t packets = packetsOf(bytes);
    if (queued) {
        const std::size_t shared = std::min(packets, kPacketsPerFrame - packetsInLastFrame_);
        packets -= shared;
        packetsInLastFrame_ += shared;
    }
    if (packets == 0) {
        return std::chrono::microseconds{0};
    }
    const std::size_t frames = (packets + kPacketsPerFrame - 1) / kPacketsPerFrame;
    packetsInLastFrame_ = packets - (frames - 1) * kPacketsPerFrame;
    return std::chrono::microseconds(static_cast<long long>(frames) * 1000);
}

}  // namespace velksim
