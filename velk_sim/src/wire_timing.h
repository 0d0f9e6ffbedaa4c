// How long a transfer occupies a full-speed USB bus: 64-byte bulk packets, 1 ms frames, at most
// 19 bulk packets per frame. Each transfer starts on a frame boundary.
#pragma once

#include <chrono>
#include <cstddef>

namespace velksim {

std::chrono::microseconds fullSpeedWireTime(std::size_t bytes);

}  // namespace velksim
