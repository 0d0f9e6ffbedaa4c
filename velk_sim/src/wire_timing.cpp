#include "wire_timing.h"

namespace velksim {

std::chrono::microseconds fullSpeedWireTime(std::size_t bytes) {
    constexpr std::size_t kPacketBytes = 64;
    constexpr std::size_t kPacketsPerFrame = 19;
    // A zero-length or short transfer still needs one packet.
    const std::size_t packets = bytes == 0 ? 1 : (bytes + kPacketBytes - 1) / kPacketBytes;
    const std::size_t frames = (packets + kPacketsPerFrame - 1) / kPacketsPerFrame;
    return std::chrono::microseconds(static_cast<long long>(frames) * 1000);
}

}  // namespace velksim
