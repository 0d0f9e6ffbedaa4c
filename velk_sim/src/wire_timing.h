// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// How long transfers occupy a full-speed USB bus: 64-byte bulk packets, 1 ms frames, at most 19
// bulk packets per frame. A transfer the host submitted only after the previous one completed
// starts on the next frame; one it queued together with the previous one fills that one's last
// frame first.
#pragma once

#include <chrono>
#include <cstddef>

namespace velksim {

inline constexpr std::size_t kPacketBytes = 64;
inline constexpr std::size_t kPacketsPerFrame = 19;

// The frames one device's transfers occupy, one transfer after the other.
class FullSpeedBus {
  public:
    // How much later than the previous transfer this one completes: whole frames, and nothing
    // when a queued transfer fits in the room left in the previous one's last frame.
    std::chrono::microseconds carry(std::size_t bytes, bool queued);

  private:
    // Packets in the last frame used so far; a full frame leaves nothing to share, which is also
    // how a fresh bus starts.
    std::size_t packetsInLastFrame_ = kPacketsPerFrame;
};

}  // namespace velksim
