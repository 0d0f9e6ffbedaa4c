// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The compatibility sets of the Brivo model: which set the device presents the cartridge with,
// trading ROM size against save-RAM support. One table for the page and `nuvrel-cli compat`.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

#include <velk_series/velk_series.h>

namespace nuvrel {

class DeviceSession;

struct CompatibilitySet {
    std::string_view name;         // what nuvrel-cli takes: "16Velk+US"
    std::string_view caption;      // the page's radio button: "16Velk+US compatibility set"
    std::string_view description;  // the text beside it
    std::uint8_t code;             // the set code the device stores
};

// In the order the page shows them.
inline constexpr std::array<CompatibilitySet, 3> kCompatibilitySets{{
    {"16Velk+US", "16Velk+US compatibility set",
     "Use this compatibility set if rom have size low or equal 16 Megabit, save supported.", 3},
    {"32Velk+U", "32Velk+U compatibility set",
     "Use this compatibility set if rom have size low or equal 32 Megabit and no need save "
     "support",
     1},
    {"32Velk+UF", "32Velk+UF compatibility set",
     "Use this compatibility set if rom have size low or equal 32 Megabit and need save support, "
     "like \"Story Of Thor\" game and etc.",
     2},
}};

// The set with this code or name; null when there is none (code 0: no set stored).
const CompatibilitySet* FindCompatibilitySet(std::uint8_t code);
const CompatibilitySet* FindCompatibilitySet(std::string_view name);

// Whether the attached device is a Brivo; the library opens and closes the device for this.
bool BrivoAttached();

// The stored set's code (0 to 3) of an open device: the low two bits of the query's answer;
// nullopt when the query's transfer failed.
std::optional<std::uint8_t> QueryCompatibilitySet(DeviceSession& device);

// Sends the store command for a set code (0 stores no set); the device's answer is not used.
// False when its transfer failed.
bool StoreCompatibilitySet(DeviceSession& device, std::uint8_t code);

// The same, each opening and closing the device itself, for the page's one-command requests.
enum class DeviceAccess { Done, NoDevice, NoAnswer };
struct StoredSetRead {
    DeviceAccess access = DeviceAccess::NoDevice;
    std::uint8_t code = 0;  // when Done
};
StoredSetRead ReadStoredCompatibilitySet();
DeviceAccess StoreCompatibilitySetOnDevice(std::uint8_t code);

}  // namespace nuvrel
