#include "core/exchange.h"

#include <cstdint>

namespace velk {

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

}  // namespace velk
