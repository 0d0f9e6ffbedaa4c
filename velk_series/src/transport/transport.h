// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: LGPL-2.1-or-later

// The seam between the command exports and whatever carries the bytes: a USB device through
// libusb or the Windows driver, a running velk-sim behind a Unix socket, or a test recorder.
// Nothing above this file knows which one it talks to.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace velk {

enum class TransferStatus {
    Ok,        // count bytes moved (an IN transfer may move fewer than asked)
    TimedOut,  // the device did not complete the transfer within the timeout
    NoDevice,  // the device is gone (unplugged, simulator stopped)
    Failed,    // any other error
};

struct TransferResult {
    TransferStatus status = TransferStatus::Failed;
    std::size_t count = 0;

    bool ok() const { return status == TransferStatus::Ok; }
};

// Every blocking call is bounded; a timed-out transfer is a failed transfer.
inline constexpr std::chrono::milliseconds kTransferTimeout{5000};

// Two transfers handed to the device together. `second` is Failed with count 0 when it never
// reached the device because `first` did not complete in full.
struct QueuedResult {
    TransferResult first;
    TransferResult second;
};

// One opened device: "PIPE00" is bulkIn, "PIPE01" is bulkOut.
class Connection {
  public:
    virtual ~Connection() = default;
    virtual TransferResult bulkOut(std::span<const std::uint8_t> data,
                                   std::chrono::milliseconds timeout) = 0;
    virtual TransferResult bulkIn(std::span<std::uint8_t> buffer,
                                  std::chrono::milliseconds timeout) = 0;

    // A command block and its phase, queued together so that both can share bus frames. The
    // second is withdrawn before it reaches the device when the first does not complete in full,
    // so a failure leaves the device exactly where the synchronous pair would. Each transfer is
    // bounded by `timeout` from the moment it can start. These defaults run one after the other.
    virtual QueuedResult outThenOut(std::span<const std::uint8_t> first,
                                    std::span<const std::uint8_t> second,
                                    std::chrono::milliseconds timeout);
    virtual QueuedResult outThenIn(std::span<const std::uint8_t> first,
                                   std::span<std::uint8_t> second,
                                   std::chrono::milliseconds timeout);
};

// Whether a transfer moved all it was given; a transport that claims more counts as having
// moved exactly that.
inline bool completedInFull(const TransferResult& result, std::size_t size) {
    return result.ok() && result.count >= size;
}

// Why a device that was found could not be opened, where the backend can tell. The user can act
// on these (close the other program, install the udev rule), so the library reports them.
enum class OpenRefusal {
    None,          // opened, or failed for a reason the user cannot act on (gone, broken)
    InUse,         // another program holds the device (a claimed interface, a busy virtual device)
    NoPermission,  // the user may not open the device
    WrongShape,    // a listed USB ID on a device without the protocol's bulk interface
};

struct OpenResult {
    std::unique_ptr<Connection> connection;   // null when the device could not be opened
    OpenRefusal refusal = OpenRefusal::None;  // why not, when known
};

// One device as a listing shows it. Listing sends nothing to any device.
struct DeviceListing {
    std::string path;  // as enumerate() gives it; empty for a device that is never opened
    std::string name;  // what a selector calls it: "1-4.2" for USB, "sim:NAME" for velk-sim
    bool hasUsbId = false;
    std::uint16_t vendor = 0;
    std::uint16_t product = 0;
    std::string serial;
    std::string description;
    bool listed = true;   // false: not on the ID list, shown only to help find a device's ID
    std::string problem;  // why it cannot be used, empty when nothing is known against it
};

// A family of devices the library can find (USB, virtual devices, a test recorder). Device paths
// are backend-prefixed texts ("usb:...", "sim:...") so the enumeration order across backends
// decides which device is found first.
class Backend {
  public:
    virtual ~Backend() = default;
    // Paths of the devices present now, in the order they should be tried.
    virtual std::vector<std::string> enumerate() = 0;
    // Opens a path returned by enumerate(); no connection when it cannot be opened.
    virtual OpenResult open(const std::string& path) = 0;
    // The devices present now, in enumerate() order; withUnlisted adds devices that are not on
    // the ID list but have the protocol's interface. By default, the enumerated paths.
    virtual std::vector<DeviceListing> list(bool withUnlisted);
};

// The backends consulted by OpenVelkDevice, in order: real hardware first, then virtual devices.
std::vector<Backend*> activeBackends();

// Tests replace the whole backend list (for example with a recorder); pass an empty vector to
// restore the built-in list.
void overrideBackendsForTesting(std::vector<Backend*> backends);

}  // namespace velk
