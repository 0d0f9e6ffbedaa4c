// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later
// One Velk device behind a usbfs node: the programs that opened the node, the URBs they
// submitted, the endpoints' state (halted, a late reply queued) and velk-sim's device model that
// the bulk URBs feed. Called by the node with its lock held, on umockdev's worker thread (ioctls)
// or a test thread (inspection, unplug).
#pragma once

#include <umockdev.h>

#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <list>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "usb_node.h"
#include "usbmon_capture.h"
#include "virtual_device.h"
#include "wire_timing.h"

namespace velkusb {

using Clock = std::chrono::steady_clock;

class EmulatedDevice {
  public:
    explicit EmulatedDevice(NodeDeviceConfig config);
    ~EmulatedDevice();
    EmulatedDevice(const EmulatedDevice&) = delete;
    EmulatedDevice& operator=(const EmulatedDevice&) = delete;

    // Called when a fault unplugs the device: the node removes its sysfs entry (and plugs it
    // in again after `replugAfter`, when set).
    std::function<void(std::optional<std::chrono::milliseconds> replugAfter)> onFaultUnplug;

    // One ioctl of a program on this device's node; false for requests a usbfs node does not
    // know (umockdev then answers ENOTTY).
    bool handleIoctl(UMockdevIoctlClient* client);
    // The program closed the node (or exited).
    void clientClosed(UMockdevIoctlClient* client);
    bool anyClient() const { return !sessions_.empty(); }
    // Ends the sessions of programs that closed the node. umockdev tells a closed client only
    // through a main context nobody may be iterating, so the node asks instead.
    void sweepClosedClients();
    bool hasClient(UMockdevIoctlClient* client) const { return sessions_.count(client) != 0; }

    // Unplug: every URB pending ends (ESHUTDOWN), open nodes answer ENODEV from now on, the
    // model loses power. pluggedIn() starts a new device number's life.
    void unplug();
    void pluggedIn(unsigned devnum);
    bool plugged() const { return plugged_; }
    unsigned devnum() const { return devnum_; }

    void setFaults(const UrbFaults& faults);
    const NodeDeviceConfig& config() const { return config_; }
    const UrbStats& stats() const { return stats_; }
    velksim::VirtualDevice& model() { return *model_; }
    const velksim::VirtualDevice& model() const { return *model_; }
    std::chrono::microseconds wireTime() const { return wire_; }

  private:
    struct Urb;
    struct Session {
        int id = 0;
        unsigned life = 0;  // the plug-in it opened; an older one is gone
        bool claimed = false;
    };
    struct StaleReply {
        std::vector<std::uint8_t> bytes;
        Clock::time_point readyAt;
    };

    Session* sessionOf(UMockdevIoctlClient* client);
    bool gone(const Session& session) const { return !plugged_ || session.life != life_; }
    void complete(UMockdevIoctlClient* client, long result, int error);

    void submit(UMockdevIoctlClient* client, Session& session, UMockdevIoctlData* arg);
    void reap(UMockdevIoctlClient* client, Session& session, UMockdevIoctlData* arg);
    void discard(UMockdevIoctlClient* client, Session& session, UMockdevIoctlData* arg);
    void control(UMockdevIoctlClient* client, Session& session, UMockdevIoctlData* arg);
    void claim(UMockdevIoctlClient* client, Session& session, unsigned interface);
    void reset(Session& session);

    // Serves what can be served now, in submission order per endpoint.
    void advance(Clock::time_point now);
    bool serveIn(Urb& urb, Clock::time_point now);
    void serveOut(Urb& urb, Clock::time_point now);
    void serveControl(Urb& urb, Clock::time_point now);
    void schedule(Urb& urb, int status, std::size_t actual, Clock::time_point now);
    bool hits(const std::optional<UrbTrigger>& trigger, const Urb& urb) const;
    void noteBlock(const Urb& urb);
    void endAllPending(int status, Clock::time_point now);
    void kill(Urb& urb, Clock::time_point now);
    void release(Urb& urb);

    NodeDeviceConfig config_;
    std::unique_ptr<velksim::VirtualDevice> model_;
    std::map<UMockdevIoctlClient*, Session> sessions_;
    std::list<std::unique_ptr<Urb>> urbs_;  // in submission order
    int nextSession_ = 1;
    bool plugged_ = false;
    unsigned life_ = 0;
    unsigned devnum_ = 0;
    UrbFaults faults_;
    std::uint64_t urbNumber_ = 0;  // bulk URBs since the faults were set
    std::map<std::uint8_t, std::uint64_t> blockCounts_;
    std::map<std::uint8_t, std::uint64_t> resolvedTriggers_;  // command code -> URB number
    bool hung_ = false;
    std::map<std::uint8_t, bool> halted_;
    std::deque<StaleReply> stale_;
    velksim::FullSpeedBus bus_;
    Clock::time_point busFreeAt_{};
    std::chrono::microseconds wire_{0};
    UrbStats stats_;
    std::unique_ptr<UsbmonCapture> capture_;
    unsigned busNumber_ = 1;
};

}  // namespace velkusb
