// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "engine/device_gate.h"

#include <velk_series/velk_series.h>
#include <atomic>

namespace nuvrel {

namespace {

// Written by whichever thread ends an operation, read by any thread that asks whether it may
// start one.
std::atomic<bool> leaseHeld{false};

}  // namespace

DeviceLease::DeviceLease(DeviceLease&& other) noexcept : m_held(other.m_held) {
    other.m_held = false;
}

DeviceLease& DeviceLease::operator=(DeviceLease&& other) noexcept {
    if (this != &other) {
        release();
        m_held = other.m_held;
        other.m_held = false;
    }
    return *this;
}

DeviceLease::~DeviceLease() {
    release();
}

void DeviceLease::release() {
    if (!m_held) {
        return;
    }
    m_held = false;
    // The flag first: whoever sees the gate open must also see the flag clear.
    SetVelkDeviceProcessed(0);
    leaseHeld.store(false);
}

std::optional<DeviceLease> DeviceGate::tryAcquire() {
    if (IsVelkDeviceProcessed() != 0) {
        return std::nullopt;
    }
    bool expected = false;
    if (!leaseHeld.compare_exchange_strong(expected, true)) {
        return std::nullopt;
    }
    SetVelkDeviceProcessed(1);
    return DeviceLease();
}

bool DeviceGate::inUse() {
    return leaseHeld.load() || IsVelkDeviceProcessed() != 0;
}

}  // namespace nuvrel
