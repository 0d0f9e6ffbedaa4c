// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// A device stand-in for tests: it records every transfer the library makes and answers IN
// requests from a script.
//
//   velk::testing::RecorderSession session;      // clean library, recorder installed
//   session.device().queueReply({0x02, 0x06});   // the next IN transfer receives these bytes
//   session.device().failTransfer(1);            // transfer #1 (counting from 0, both ways) fails
//   ... call exports ...
//   session.device().transfers()                 // what went over the wire, in order
//
// An IN request with no queued reply times out, like a device that does not answer. A queued
// reply longer than the request is cut to the request (the rest is dropped).
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "transport/transport.h"

namespace velk::testing {

enum class Direction { Out, In };

struct RecordedTransfer {
    Direction direction = Direction::Out;
    std::vector<std::uint8_t> bytes;  // OUT: the bytes sent; IN: the bytes handed back
    std::size_t requested = 0;        // bytes asked for (IN) or offered (OUT)
    TransferStatus status = TransferStatus::Ok;
};

class RecordingBackend final : public Backend {
  public:
    RecordingBackend();
    ~RecordingBackend() override;

    // --- the device's presence ---
    void setPresent(bool present);  // unplugging also fails transfers on open connections
    void setDevicePath(std::string path);
    // The device is found by the next `count` enumerations only, then counts as unplugged.
    void unplugAfterEnumerations(int count);
    // Enumerated, but opening fails; with a reason the backend says why, as a device in use by
    // another program or one the user may not open does.
    void refuseOpen(bool refuse, OpenRefusal reason = OpenRefusal::None);

    // --- scripted behaviour ---
    void queueReply(std::vector<std::uint8_t> reply);
    void failTransfer(std::size_t index, TransferStatus status = TransferStatus::Failed);

    // --- what happened ---
    const std::vector<RecordedTransfer>& transfers() const;
    std::vector<std::vector<std::uint8_t>> outTransfers() const;
    std::size_t pendingReplies() const;
    int enumerations() const { return enumerations_; }
    int opens() const { return opens_; }
    int liveConnections() const;
    void clearLog();  // forgets the transfers recorded so far (numbering restarts at 0)

    // --- Backend ---
    std::vector<std::string> enumerate() override;
    OpenResult open(const std::string& path) override;

    struct Shared;  // state the connections share with the backend

  private:
    std::shared_ptr<Shared> shared_;
    int enumerations_ = 0;
    int opens_ = 0;
};

// Resets the library to its load-time state and makes a recorder the only backend; undoes both
// when it goes out of scope.
class RecorderSession {
  public:
    RecorderSession();
    ~RecorderSession();
    RecorderSession(const RecorderSession&) = delete;
    RecorderSession& operator=(const RecorderSession&) = delete;

    RecordingBackend& device() { return *device_; }

  private:
    std::unique_ptr<RecordingBackend> device_;
};

}  // namespace velk::testing
