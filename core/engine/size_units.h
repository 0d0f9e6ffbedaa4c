// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The units sizes are shown in: megabits of 131072 bytes for ROM (device capacities rounded down,
// file sizes rounded up) and kilobytes of 1024 bytes for save RAM.
#pragma once

#include <cstdint>
#include <string>

namespace nuvrel {

inline constexpr std::uint32_t kBytesPerMBit = 131072;
inline constexpr std::uint32_t kBytesPerKilobyte = 1024;

inline std::uint32_t MBitRoundedDown(std::uint32_t bytes) {
    return bytes / kBytesPerMBit;
}
inline std::uint32_t MBitRoundedUp(std::uint32_t bytes) {
    return bytes / kBytesPerMBit + (bytes % kBytesPerMBit != 0 ? 1u : 0u);
}
inline std::uint32_t KilobytesRoundedUp(std::uint32_t bytes) {
    return bytes / kBytesPerKilobyte + (bytes % kBytesPerKilobyte != 0 ? 1u : 0u);
}

// "%dMBit" with the size rounded up (disk side) or down (device side).
inline std::string FileSizeMBitText(std::uint32_t bytes) {
    return std::to_string(MBitRoundedUp(bytes)) + "MBit";
}
inline std::string DeviceSizeMBitText(std::uint32_t bytes) {
    return std::to_string(MBitRoundedDown(bytes)) + "MBit";
}

}  // namespace nuvrel
