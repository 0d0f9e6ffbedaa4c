// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "recording_backend.h"

#include <algorithm>
#include <map>

#include "testing/testing_hooks.h"

namespace velk::testing {

struct RecordingBackend::Shared {
    bool present = true;
    bool refuseOpen = false;
    OpenRefusal refusal = OpenRefusal::None;
    int enumerationsLeft = -1;  // -1: unlimited
    std::string path = "rec:velk-0";
    std::deque<std::vector<std::uint8_t>> replies;
    std::map<std::size_t, TransferStatus> failures;
    std::vector<RecordedTransfer> log;
    int live = 0;

    // The status the transfer about to be recorded must end with.
    TransferStatus scriptedStatus() const {
        if (!present) {
            return TransferStatus::NoDevice;
        }
        auto it = failures.find(log.size());
        return it == failures.end() ? TransferStatus::Ok : it->second;
    }
};

namespace {

class RecordingConnection final : public Connection {
  public:
    explicit RecordingConnection(std::shared_ptr<RecordingBackend::Shared> shared)
        : shared_(std::move(shared)) {
        ++shared_->live;
    }
    ~RecordingConnection() override { --shared_->live; }

    TransferResult bulkOut(std::span<const std::uint8_t> data, std::chrono::milliseconds) override {
        RecordedTransfer record;
        record.direction = Direction::Out;
        record.bytes.assign(data.begin(), data.end());
        record.requested = data.size();
        record.status = shared_->scriptedStatus();
        shared_->log.push_back(record);
        if (record.status != TransferStatus::Ok) {
            return {record.status, 0};
        }
        return {TransferStatus::Ok, data.size()};
    }

    TransferResult bulkIn(std::span<std::uint8_t> buffer, std::chrono::milliseconds) override {
        RecordedTransfer record;
        record.direction = Direction::In;
        record.requested = buffer.size();
        record.status = shared_->scriptedStatus();
        if (record.status == TransferStatus::Ok) {
            if (shared_->replies.empty()) {
                record.status = TransferStatus::TimedOut;
            } else {
                std::vector<std::uint8_t> reply = std::move(shared_->replies.front());
                shared_->replies.pop_front();
                const std::size_t count = std::min(reply.size(), buffer.size());
                std::copy_n(reply.begin(), count, buffer.begin());
                record.bytes.assign(reply.begin(), reply.begin() + static_cast<long>(count));
            }
        }
        shared_->log.push_back(record);
        if (record.status != TransferStatus::Ok) {
            return {record.status, 0};
        }
        return {TransferStatus::Ok, record.bytes.size()};
    }

  private:
    std::shared_ptr<RecordingBackend::Shared> shared_;
};

}  // namespace

RecordingBackend::RecordingBackend() : shared_(std::make_shared<Shared>()) {}
RecordingBackend::~RecordingBackend() = default;

void RecordingBackend::setPresent(bool present) {
    shared_->present = present;
    shared_->enumerationsLeft = -1;
}

void RecordingBackend::setDevicePath(std::string path) {
    shared_->path = std::move(path);
}

void RecordingBackend::unplugAfterEnumerations(int count) {
    shared_->enumerationsLeft = count;
}

void RecordingBackend::refuseOpen(bool refuse, OpenRefusal reason) {
    shared_->refuseOpen = refuse;
    shared_->refusal = reason;
}

void RecordingBackend::queueReply(std::vector<std::uint8_t> reply) {
    shared_->replies.push_back(std::move(reply));
}

void RecordingBackend::failTransfer(std::size_t index, TransferStatus status) {
    shared_->failures[index] = status;
}

const std::vector<RecordedTransfer>& RecordingBackend::transfers() const {
    return shared_->log;
}

std::vector<std::vector<std::uint8_t>> RecordingBackend::outTransfers() const {
    std::vector<std::vector<std::uint8_t>> out;
    for (const RecordedTransfer& t : shared_->log) {
        if (t.direction == Direction::Out) {
            out.push_back(t.bytes);
        }
    }
    return out;
}

std::size_t RecordingBackend::pendingReplies() const {
    return shared_->replies.size();
}

int RecordingBackend::liveConnections() const {
    return shared_->live;
}

void RecordingBackend::clearLog() {
    // Failures still to come keep their place relative to the new numbering.
    const std::size_t forgotten = shared_->log.size();
    std::map<std::size_t, TransferStatus> renumbered;
    for (const auto& [index, status] : shared_->failures) {
        if (index >= forgotten) {
            renumbered[index - forgotten] = status;
        }
    }
    shared_->failures = std::move(renumbered);
    shared_->log.clear();
}

std::vector<std::string> RecordingBackend::enumerate() {
    ++enumerations_;
    if (shared_->enumerationsLeft == 0) {
        shared_->present = false;
        shared_->enumerationsLeft = -1;
    }
    if (!shared_->present) {
        return {};
    }
    if (shared_->enumerationsLeft > 0) {
        --shared_->enumerationsLeft;
    }
    return {shared_->path};
}

OpenResult RecordingBackend::open(const std::string& path) {
    ++opens_;
    if (!shared_->present || path != shared_->path) {
        return {};
    }
    if (shared_->refuseOpen) {
        return {nullptr, shared_->refusal};
    }
    return {std::make_unique<RecordingConnection>(shared_), OpenRefusal::None};
}

RecorderSession::RecorderSession() : device_(std::make_unique<RecordingBackend>()) {
    resetLibraryForTesting();
    overrideBackendsForTesting({device_.get()});
}

RecorderSession::~RecorderSession() {
    resetLibraryForTesting();
}

}  // namespace velk::testing
