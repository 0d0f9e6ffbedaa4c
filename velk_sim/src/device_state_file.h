// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The small part of the device that is not a memory image: stored file names, the erase counter
// and the compatibility set. Kept as a text file so a user can read it:
//
//     eraseCounter=00000003
//     compatibilitySet=2
//     name0=Sonic.bin
//     name1=
//     name2=Sonic.srm
//
// Names are written up to their last non-zero byte; bytes outside printable ASCII, and the
// backslash, appear as \xHH.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>

namespace velksim {

struct DeviceStateValues {
    std::array<std::array<std::uint8_t, 64>, 3> names{};
    std::uint32_t eraseCounter = 0xFFFFFFFFu;
    std::uint8_t compatibilitySet = 0;
};

// False when the file does not exist; throws std::runtime_error when it exists but is unusable.
bool loadDeviceState(const std::filesystem::path& file, DeviceStateValues& values);

// Replaces the file in one step (written aside, then renamed), so a killed simulator leaves
// either the old or the new state. Throws std::runtime_error on failure.
void saveDeviceState(const std::filesystem::path& file, const DeviceStateValues& values);

}  // namespace velksim
