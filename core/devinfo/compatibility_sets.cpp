// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "devinfo/compatibility_sets.h"

#include "engine/device_session.h"

namespace nuvrel {
namespace {

// The device answers the query with the stored set in its low two bits.
constexpr std::uint8_t kSetCodeMask = 0x03;

}  // namespace

const CompatibilitySet* FindCompatibilitySet(std::uint8_t code) {
    for (const CompatibilitySet& set : kCompatibilitySets) {
        if (set.code == code) {
            return &set;
        }
    }
    return nullptr;
}

const CompatibilitySet* FindCompatibilitySet(std::string_view name) {
    for (const CompatibilitySet& set : kCompatibilitySets) {
        if (set.name == name) {
            return &set;
        }
    }
    return nullptr;
}

bool BrivoAttached() {
    return IsVelkBrivo(nullptr) != 0;
}

std::optional<std::uint8_t> QueryCompatibilitySet(DeviceSession& device) {
    const std::uint8_t answer = Compatibility(device.get(), VELK_COMPAT_QUERY);
    if (!device.answering()) {
        return std::nullopt;
    }
    return static_cast<std::uint8_t>(answer & kSetCodeMask);
}

bool StoreCompatibilitySet(DeviceSession& device, std::uint8_t code) {
    Compatibility(device.get(), static_cast<std::uint8_t>(VELK_COMPAT_STORE_BASE + code));
    return device.answering();
}

StoredSetRead ReadStoredCompatibilitySet() {
    DeviceSession device;
    if (!device.opened()) {
        return {};
    }
    const std::optional<std::uint8_t> code = QueryCompatibilitySet(device);
    return code ? StoredSetRead{DeviceAccess::Done, *code}
                : StoredSetRead{DeviceAccess::NoAnswer, 0};
}

DeviceAccess StoreCompatibilitySetOnDevice(std::uint8_t code) {
    DeviceSession device;
    if (!device.opened()) {
        return DeviceAccess::NoDevice;
    }
    return StoreCompatibilitySet(device, code) ? DeviceAccess::Done : DeviceAccess::NoAnswer;
}

}  // namespace nuvrel
