// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// One OpenVelkDevice ... CloseVelkDevice bracket, closed on every way out, that also tells whether
// every transfer since it opened went through.
//
// The library reports a failed transfer by clearing its busy flag; several exports (GetMaxSize,
// IsVelkBrivo, Compatibility) have no result that could say so. A TransferWatch therefore holds
// the flag set while it lives and puts back the value it found, unless a transfer failed: then the
// flag stays cleared, as the library left it, so that a watch around it sees the failure too. The
// flag is only ever set by the thread that owns the device at that moment (the user-interface
// thread between operations, or the one worker while its operation holds the flag), so holding
// it here hides nothing.
#pragma once

#include <cstdint>
#include <string>

#include <velk_series/velk_series.h>

#include "engine/open_refusal.h"
#include "engine/operation_outcome.h"

namespace nuvrel {

class TransferWatch {
  public:
    TransferWatch() : previous_(IsVelkDeviceProcessed()) { SetVelkDeviceProcessed(1); }
    ~TransferWatch() {
        if (allSent()) {
            SetVelkDeviceProcessed(previous_);
        }
    }
    TransferWatch(const TransferWatch&) = delete;
    TransferWatch& operator=(const TransferWatch&) = delete;

    // False once a transfer has failed since the watch began.
    bool allSent() const { return IsVelkDeviceProcessed() != 0; }

  private:
    std::uint8_t previous_;
};

class DeviceSession {
  public:
    DeviceSession() : device_(OpenVelkDevice()) {
        if (!opened()) {
            refusal_ = refusalWatch_.reason();
        }
    }
    ~DeviceSession() { close(); }
    DeviceSession(const DeviceSession&) = delete;
    DeviceSession& operator=(const DeviceSession&) = delete;

    bool opened() const { return device_ != VELK_INVALID_DEVICE; }
    // Why the open failed, when the library knew (another program has the device, no
    // permission); empty when it opened or there simply was no device.
    const std::string& refusal() const { return refusal_; }
    // The end of a run that could not open the device: quiet, carrying the refusal's reason.
    OperationOutcome notOpened() const {
        OperationOutcome outcome;
        outcome.result = OperationResult::NoDevice;
        outcome.openRefusal = refusal_;
        return outcome;
    }
    DeviceHandle get() const { return device_; }
    // True while the device is open and every transfer since it was opened went through. Once
    // false, nothing more may be sent: a device left waiting for a data phase would take the
    // next command block as its data.
    bool answering() const { return opened() && watch_.allSent(); }
    void close() {
        if (opened()) {
            CloseVelkDevice(device_);
            device_ = VELK_INVALID_DEVICE;
        }
    }

  private:
    OpenRefusalWatch refusalWatch_;  // begun before the open
    TransferWatch watch_;
    DeviceHandle device_;
    std::string refusal_;
};

}  // namespace nuvrel
