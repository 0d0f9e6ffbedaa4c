// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Virtual Velk devices on real device nodes: a umockdev testbed holds each device's sysfs entry
// (IDs, serial number, port path, one interface with bulk IN 0x81 and bulk OUT 0x01 of 64 bytes,
// full speed) and answers the usbfs ioctls libusb sends to its /dev/bus/usb/BBB/DDD node from
// velk-sim's device model. A program that runs with umockdev's preload library (this process
// after enterMockEnvironment(), and every child it starts) finds the devices through libusb
// unchanged, exactly as a plugged-in device.
//
// Faults are URB results: the node vanishing (ENODEV, an unplug), URBs left pending until the host
// discards them (a hung device), a STALL, a short packet, a reply arriving after the host gave up,
// an open refused with EACCES or a claim refused with EBUSY.
#pragma once

#include <velk_sim/sim_harness.h>

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace velkusb {

// Where a fault strikes: a bulk URB by its number (1-based, both endpoints, every program that
// opens the node, counted from when the faults were set), or the first bulk URB submitted after
// the `occurrence`-th command block with code `command` (that block's data phase or reply, when
// it has one).
struct UrbTrigger {
    std::uint64_t urb = 0;
    std::uint8_t command = 0;
    std::uint64_t occurrence = 1;

    static UrbTrigger atUrb(std::uint64_t number) { return {number, 0, 1}; }
    static UrbTrigger afterCommand(std::uint8_t code, std::uint64_t occurrence = 1) {
        return {0, code, occurrence};
    }
};

// How a device refuses a program before any transfer.
enum class OpenFault {
    None,
    NoPermission,  // open() of the node fails with EACCES (the udev rule is missing)
    Busy,          // another program has claimed the interface: CLAIMINTERFACE fails with EBUSY
};

struct UrbFaults {
    // The device is unplugged just before this URB would be served: it and every URB still
    // pending end with ESHUTDOWN, later ioctls on the open node fail with ENODEV, and the node and
    // its sysfs entry vanish.
    std::optional<UrbTrigger> unplug;
    // ...and it is plugged in again this long after (same port, new device number, the memory
    // it had), as a user who pulls and reinserts the cable.
    std::optional<std::chrono::milliseconds> replugAfter;
    // From this URB on the device answers nothing: URBs stay pending and only DISCARDURB
    // completes them (ENOENT). It stays hung until a reset (USBDEVFS_RESET) or a replug.
    std::optional<UrbTrigger> hang;
    // This URB ends with EPIPE (a STALL handshake) and its endpoint stays halted, failing every
    // later URB on it with EPIPE, until USBDEVFS_CLEAR_HALT for that endpoint.
    std::optional<UrbTrigger> stall;
    // This IN URB ends after at most shortInBytes (a short packet); the rest of the reply is
    // dropped by the device.
    std::optional<UrbTrigger> shortIn;
    std::size_t shortInBytes = 0;
    // This IN URB is answered only lateReplyAfter after it was served. Discarded before that,
    // it ends with ENOENT, and its bytes are what the next IN URB receives once they arrive
    // (a reply queued in the endpoint after the host cancelled). A reset drops them.
    std::optional<UrbTrigger> lateReply;
    std::chrono::milliseconds lateReplyAfter{6000};
    // This URB stays pending; a DISCARDURB on it returns at once, but the URB completes only
    // slowDiscardAfter later, with its data moved (an IN URB's buffer written), as a host
    // controller that finishes a transfer it was asked to cancel.
    std::optional<UrbTrigger> slowDiscard;
    std::chrono::milliseconds slowDiscardAfter{7000};
    OpenFault open = OpenFault::None;
};

struct NodeDeviceConfig {
    velksim::DeviceConfig device;    // the device model, as velk-sim takes it (speed included)
    std::filesystem::path stateDir;  // rom.bin, sram.bin, state.txt; empty: in memory
    std::uint16_t vendorId = 0x1209;
    std::uint16_t productId = 0x0007;
    std::string serial = "VELK0001";
    std::string port = "1-2";  // "<bus>-<port>[.<port>...]"
    std::string manufacturer = "Velk";
    std::string product = "Velk series cartridge loader";
    UrbFaults faults;
    // When set, the device's bulk URBs are written here as usbmon would capture them (a pcap
    // file `umockdev-run --pcap` replays).
    std::filesystem::path usbmonCapture;
    // Called with each command block the device decodes (velk-sim's --trace), on the thread
    // that serves the node.
    std::function<void(const velksim::CommandRecord&)> onCommand;
};

// What the device saw of the host's URBs since it was plugged in.
struct UrbStats {
    std::uint64_t submitted = 0;
    std::uint64_t reaped = 0;
    std::uint64_t discarded = 0;       // DISCARDURB calls that found a pending URB
    std::uint64_t leftAtClose = 0;     // URBs a program closed the node on without reaping
    std::uint64_t refusedSubmits = 0;  // SUBMITURB answered with an error (ENODEV, ...)
    std::uint64_t stalls = 0;          // URBs ended with EPIPE
    std::uint64_t clearHalts = 0;
    std::uint64_t resets = 0;
    std::uint64_t opens = 0;
    std::uint64_t unplugs = 0;
    std::uint64_t replugs = 0;
    std::uint64_t staleRepliesDelivered = 0;  // late replies an IN URB received after a cancel
    std::uint64_t lateWrites = 0;  // slow discards that completed with data after the discard
};

// The process's testbed and the devices on it. One UsbNode at a time per process; devices are
// unplugged when it is destroyed. All members are thread-safe.
class UsbNode {
  public:
    UsbNode();
    ~UsbNode();
    UsbNode(const UsbNode&) = delete;
    UsbNode& operator=(const UsbNode&) = delete;

    // Plugs a device in; returns its index. Throws std::runtime_error when the testbed refuses.
    std::size_t add(NodeDeviceConfig config);
    void unplug(std::size_t index);
    void replug(std::size_t index);
    bool plugged(std::size_t index) const;
    void setFaults(std::size_t index, const UrbFaults& faults);  // URBs counted from here

    std::string devNode(std::size_t index) const;  // "/dev/bus/usb/001/002"
    std::string port(std::size_t index) const;     // "1-2"
    UrbStats stats(std::size_t index) const;
    // Blocks until no program holds the node open (bounded), for checks after a child exits.
    bool waitUntilClosed(std::size_t index, std::chrono::milliseconds limit) const;

    // What the device holds and what it saw, as velk-sim's harness gives them.
    std::vector<std::uint8_t> romBytes(std::size_t index, std::uint32_t byteAddress,
                                       std::size_t length) const;
    void setRomBytes(std::size_t index, std::uint32_t byteAddress,
                     const std::vector<std::uint8_t>& bytes);
    std::vector<std::uint8_t> saveRam(std::size_t index) const;
    void setSaveRam(std::size_t index, const std::vector<std::uint8_t>& bytes);
    std::string fileName(std::size_t index, unsigned slot) const;
    std::vector<velksim::CommandRecord> commandLog(std::size_t index) const;
    std::vector<std::string> protocolErrors(std::size_t index) const;
    std::chrono::microseconds wireTime(std::size_t index) const;

    // The device and the hubs above it in umockdev-record's format, as umockdev-run -d loads it.
    std::string description(std::size_t index) const;

    // The testbed's root folder (UMOCKDEV_DIR), valid while this node exists.
    std::string root() const;

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// Makes this program one that runs under umockdev's preload library: when it is not, it runs
// itself again (execv of /proc/self/exe with the same arguments) with the library added to
// LD_PRELOAD, after a sanitizer runtime already in the process (AddressSanitizer insists on
// coming first). Returns only when the preload is in place; exits with 127 and a message when
// umockdev's preload library cannot be found.
void enterMockEnvironment(char** argv);
bool preloadLoaded();

// The AddressSanitizer or ThreadSanitizer runtime this program runs with, empty without one.
// A program it starts under another preload library needs it first in LD_PRELOAD.
std::string sanitizerRuntimePath();

// For a child about to exec a program that must meet a node it may not open: root opens any
// file whatever its mode, so a root process gives up overriding file permissions
// (CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH) for itself and what it executes, as a user without the
// udev rule. Does nothing for other users. False when the capabilities could not be dropped.
bool dropRootFileAccess();

}  // namespace velkusb
