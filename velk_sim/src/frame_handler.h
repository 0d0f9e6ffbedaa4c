// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// What the device does with one message from a host, without the sockets: the open handshake
// (the device belongs to one host at a time, as a claimed USB interface does) and the bulk
// transfers of the host that holds it. The server feeds it what it receives and sends what it
// answers; the fuzz target feeds it anything.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "wire_timing.h"

namespace velksim {

class FaultInjector;
class VirtualDevice;

struct FrameOutcome {
    std::vector<std::uint8_t> answer;           // empty: nothing to send (a swallowed transfer)
    std::chrono::microseconds transferTime{0};  // on a full-speed bus, after the previous one
    bool queued = false;  // submitted together with the previous transfer: no gap on the bus
    std::chrono::milliseconds delay{0};  // a late answer (fault)
    bool unplugNow = false;              // the disconnect fault is due after the answer
    bool hangUp = false;                 // drop this host, after the answer if any
    int droppedHolder = 0;  // the earlier holder was found gone: drop its connection too
};

class FrameHandler {
  public:
    // Whether the connection of host `id` has hung up. Asked only when another host wants the
    // device: a host that closes and at once reopens may be heard before its hang-up has been
    // served, and must not be refused because of its own closed connection.
    using HungUp = std::function<bool(int id)>;

    // One message from host `client` (ids are the server's, never 0).
    FrameOutcome handle(VirtualDevice& device, FaultInjector& injector, int client,
                        std::span<const std::uint8_t> message, const HungUp& hungUp);

    // The host's connection ended; the device is free again if it was this host's.
    void release(int client);
    void releaseAll() { holder_ = 0; }
    int holder() const { return holder_; }

  private:
    FrameOutcome handshake(int client, std::uint32_t sequence, const HungUp& hungUp);
    int holder_ = 0;  // 0: nobody's
    FullSpeedBus bus_;
    // Whether the holder's last transfer was served; a transfer queued behind one that was not
    // has been withdrawn by its host and never reaches the device.
    bool lastServed_ = true;
};

}  // namespace velksim
