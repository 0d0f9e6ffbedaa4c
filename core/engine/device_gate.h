// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Gives the device to one long operation at a time, in the program and in the command line alike.
//
// The library's busy flag cannot do this alone: a failing command clears it while the operation
// that issued it still runs, and a second operation must not start until the first has ended. The
// gate therefore keeps its own record of the lease, beside the flag the engines read to see a
// failed transfer; the flag's values stay those every caller of the library relies on.
#pragma once

#include <optional>

namespace nuvrel {

class DeviceGate;

// The device held for one operation: the busy flag is set while it lives, and it is released
// (flag cleared, gate open) when it is destroyed or released, whichever comes first.
class DeviceLease {
  public:
    DeviceLease(DeviceLease&& other) noexcept;
    DeviceLease& operator=(DeviceLease&& other) noexcept;
    DeviceLease(const DeviceLease&) = delete;
    DeviceLease& operator=(const DeviceLease&) = delete;
    ~DeviceLease();

    // Ends the lease now; later calls (and the destructor) do nothing.
    void release();
    bool held() const { return m_held; }

  private:
    friend class DeviceGate;
    DeviceLease() = default;

    bool m_held = true;
};

class DeviceGate {
  public:
    // The lease, or nothing while another lease is held or the busy flag was set elsewhere.
    static std::optional<DeviceLease> tryAcquire();
    // Whether the device may not be used now: a lease is held or the busy flag is set.
    static bool inUse();
};

}  // namespace nuvrel
