// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: LGPL-2.1-or-later

// Virtual devices (velk-sim) reached over Unix-domain SOCK_SEQPACKET sockets. Each transfer is
// one request message answered by one reply message (virtual_device_protocol.h); every wait is
// bounded by the timeout the caller passes.
#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <optional>

#include "transport/virtual_device_backend.h"
#include "transport/virtual_device_protocol.h"

namespace velk {

namespace {

using Clock = std::chrono::steady_clock;

// -1 when the path does not fit a socket address or nobody listens on it.
int connectSocket(const std::string& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof(address.sun_path)) {
        return -1;
    }
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    // Non-blocking, so a listener with a full backlog makes connect fail at once instead of
    // waiting for it.
    const int fd = ::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) {
        return -1;
    }
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

bool isGone(int error) {
    return error == EPIPE || error == ECONNRESET || error == ENOTCONN || error == ECONNREFUSED;
}

class SocketConnection final : public Connection {
  public:
    explicit SocketConnection(int fd) : fd_(fd) {}
    ~SocketConnection() override { ::close(fd_); }
    SocketConnection(const SocketConnection&) = delete;
    SocketConnection& operator=(const SocketConnection&) = delete;

    TransferResult bulkOut(std::span<const std::uint8_t> data,
                           std::chrono::milliseconds timeout) override {
        if (data.size() > vdev::kMaxPayloadBytes) {
            return {TransferStatus::Failed, 0};
        }
        const vdev::FrameHeader request{vdev::FrameKind::Out, vdev::FrameStatus::Ok, ++sequence_,
                                        static_cast<std::uint32_t>(data.size())};
        std::vector<std::uint8_t> reply;
        const TransferStatus status =
            exchange(vdev::encodeFrame(request, data), vdev::FrameKind::OutAck, timeout, reply);
        if (status != TransferStatus::Ok) {
            return {status, 0};
        }
        return {TransferStatus::Ok, data.size()};
    }

    TransferResult bulkIn(std::span<std::uint8_t> buffer,
                          std::chrono::milliseconds timeout) override {
        const std::size_t wanted = std::min(buffer.size(), vdev::kMaxPayloadBytes);
        const vdev::FrameHeader request{vdev::FrameKind::In, vdev::FrameStatus::Ok, ++sequence_,
                                        static_cast<std::uint32_t>(wanted)};
        std::vector<std::uint8_t> reply;
        const TransferStatus status =
            exchange(vdev::encodeFrame(request), vdev::FrameKind::InData, timeout, reply);
        if (status != TransferStatus::Ok) {
            return {status, 0};
        }
        const std::size_t count = std::min(reply.size(), wanted);
        std::copy_n(reply.begin(), count, buffer.begin());
        return {TransferStatus::Ok, count};
    }

    QueuedResult outThenOut(std::span<const std::uint8_t> first,
                            std::span<const std::uint8_t> second,
                            std::chrono::milliseconds timeout) override {
        if (first.size() > vdev::kMaxPayloadBytes || second.size() > vdev::kMaxPayloadBytes) {
            return {};
        }
        const vdev::FrameHeader head{vdev::FrameKind::Out, vdev::FrameStatus::Ok, 0,
                                     static_cast<std::uint32_t>(first.size()), false};
        const vdev::FrameHeader tail{vdev::FrameKind::Out, vdev::FrameStatus::Ok, 0,
                                     static_cast<std::uint32_t>(second.size()), true};
        std::vector<std::uint8_t> reply;
        const auto [firstStatus, secondStatus] =
            exchangePair(head, first, tail, second, vdev::FrameKind::OutAck, timeout, reply);
        QueuedResult result;
        result.first = {firstStatus, firstStatus == TransferStatus::Ok ? first.size() : 0};
        result.second = {secondStatus, secondStatus == TransferStatus::Ok ? second.size() : 0};
        return result;
    }

    QueuedResult outThenIn(std::span<const std::uint8_t> first, std::span<std::uint8_t> second,
                           std::chrono::milliseconds timeout) override {
        if (first.size() > vdev::kMaxPayloadBytes) {
            return {};
        }
        const std::size_t wanted = std::min(second.size(), vdev::kMaxPayloadBytes);
        const vdev::FrameHeader head{vdev::FrameKind::Out, vdev::FrameStatus::Ok, 0,
                                     static_cast<std::uint32_t>(first.size()), false};
        const vdev::FrameHeader tail{vdev::FrameKind::In, vdev::FrameStatus::Ok, 0,
                                     static_cast<std::uint32_t>(wanted), true};
        std::vector<std::uint8_t> reply;
        const auto [firstStatus, secondStatus] =
            exchangePair(head, first, tail, {}, vdev::FrameKind::InData, timeout, reply);
        QueuedResult result;
        result.first = {firstStatus, firstStatus == TransferStatus::Ok ? first.size() : 0};
        if (secondStatus != TransferStatus::Ok) {
            result.second = {secondStatus, 0};
            return result;
        }
        const std::size_t count = std::min(reply.size(), wanted);
        std::copy_n(reply.begin(), count, second.begin());
        result.second = {TransferStatus::Ok, count};
        return result;
    }

    // The open handshake. Ok: the device is this host's now; InUse: another host holds it (the
    // device hangs up after saying so); anything else: it did not answer as a device.
    std::optional<vdev::FrameStatus> greet(std::chrono::milliseconds timeout) {
        const vdev::FrameHeader hello{vdev::FrameKind::Hello, vdev::FrameStatus::Ok, ++sequence_,
                                      0};
        vdev::FrameHeader answer;
        std::vector<std::uint8_t> payload;
        if (request(vdev::encodeFrame(hello), vdev::FrameKind::Welcome, timeout, answer, payload) !=
            TransferStatus::Ok) {
            return std::nullopt;
        }
        return answer.status;
    }

  private:
    static Clock::time_point deadlineAfter(std::chrono::milliseconds timeout) {
        // A timeout beyond a day is taken as a day: the deadline must not overflow the clock.
        const auto bounded = std::clamp(timeout, std::chrono::milliseconds::zero(),
                                        std::chrono::milliseconds(std::chrono::hours(24)));
        return Clock::now() + bounded;
    }

    // Both frames go out before either answer is awaited. The second answer is awaited only
    // after a served first one (the device drops a queued frame behind one it did not serve),
    // and gets its own timeout from then, as the second transfer starts only then.
    std::pair<TransferStatus, TransferStatus> exchangePair(
        vdev::FrameHeader head, std::span<const std::uint8_t> headData, vdev::FrameHeader tail,
        std::span<const std::uint8_t> tailData, vdev::FrameKind tailAnswer,
        std::chrono::milliseconds timeout, std::vector<std::uint8_t>& payload) {
        if (broken_) {
            return {TransferStatus::NoDevice, TransferStatus::Failed};
        }
        head.sequence = ++sequence_;
        tail.sequence = ++sequence_;
        const Clock::time_point firstDeadline = deadlineAfter(timeout);
        TransferStatus first = sendFrame(vdev::encodeFrame(head, headData), firstDeadline);
        if (first != TransferStatus::Ok) {
            return {first, TransferStatus::Failed};
        }
        const TransferStatus tailSent = sendFrame(vdev::encodeFrame(tail, tailData), firstDeadline);
        std::vector<std::uint8_t> ignored;
        first = answerStatus(head.sequence, vdev::FrameKind::OutAck, firstDeadline, ignored);
        if (first != TransferStatus::Ok) {
            return {first, TransferStatus::Failed};
        }
        if (tailSent != TransferStatus::Ok) {
            return {first, tailSent};
        }
        return {first, answerStatus(tail.sequence, tailAnswer, deadlineAfter(timeout), payload)};
    }

    TransferStatus exchange(const std::vector<std::uint8_t>& frame, vdev::FrameKind expected,
                            std::chrono::milliseconds timeout, std::vector<std::uint8_t>& payload) {
        vdev::FrameHeader answer;
        const TransferStatus status = request(frame, expected, timeout, answer, payload);
        if (status != TransferStatus::Ok) {
            return status;
        }
        return statusOf(answer.status);
    }

    TransferStatus answerStatus(std::uint32_t sequence, vdev::FrameKind expected,
                                Clock::time_point deadline, std::vector<std::uint8_t>& payload) {
        vdev::FrameHeader answer;
        const TransferStatus status = awaitAnswer(sequence, expected, deadline, answer, payload);
        if (status != TransferStatus::Ok) {
            return status;
        }
        return statusOf(answer.status);
    }

    static TransferStatus statusOf(vdev::FrameStatus status) {
        switch (status) {
            case vdev::FrameStatus::Ok:
                return TransferStatus::Ok;
            case vdev::FrameStatus::NoData:
                // A real device would leave the request pending until the host gives up.
                return TransferStatus::TimedOut;
            default:
                return TransferStatus::Failed;
        }
    }

    // Sends one frame and waits for the device's answer to it, whatever its status.
    TransferStatus request(const std::vector<std::uint8_t>& frame, vdev::FrameKind expected,
                           std::chrono::milliseconds timeout, vdev::FrameHeader& answer,
                           std::vector<std::uint8_t>& payload) {
        if (broken_) {
            return TransferStatus::NoDevice;
        }
        const Clock::time_point deadline = deadlineAfter(timeout);
        const TransferStatus sent = sendFrame(frame, deadline);
        if (sent != TransferStatus::Ok) {
            return sent;
        }
        return awaitAnswer(sequence_, expected, deadline, answer, payload);
    }

    // Waits for the answer to transfer `sequence`; answers to earlier ones are dropped.
    TransferStatus awaitAnswer(std::uint32_t sequence, vdev::FrameKind expected,
                               Clock::time_point deadline, vdev::FrameHeader& answer,
                               std::vector<std::uint8_t>& payload) {
        if (broken_) {
            return TransferStatus::NoDevice;
        }
        std::vector<std::uint8_t> incoming(vdev::kMaxFrameBytes);
        for (;;) {
            const TransferStatus ready = waitFor(POLLIN, deadline);
            if (ready != TransferStatus::Ok) {
                return ready;
            }
            const ssize_t got = ::recv(fd_, incoming.data(), incoming.size(), MSG_DONTWAIT);
            if (got == 0) {
                broken_ = true;
                return TransferStatus::NoDevice;
            }
            if (got < 0) {
                if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) {
                    continue;
                }
                broken_ = isGone(errno);
                return broken_ ? TransferStatus::NoDevice : TransferStatus::Failed;
            }
            const std::span<const std::uint8_t> message(incoming.data(),
                                                        static_cast<std::size_t>(got));
            const auto header = vdev::decodeFrame(message);
            if (!header) {
                return TransferStatus::Failed;
            }
            if (header->sequence != sequence) {
                continue;  // the late answer to a transfer that timed out earlier
            }
            if (header->kind != expected) {
                return TransferStatus::Failed;
            }
            answer = *header;
            payload.assign(message.begin() + vdev::kHeaderBytes, message.end());
            return TransferStatus::Ok;
        }
    }

    TransferStatus sendFrame(const std::vector<std::uint8_t>& frame, Clock::time_point deadline) {
        for (;;) {
            const ssize_t sent =
                ::send(fd_, frame.data(), frame.size(), MSG_DONTWAIT | MSG_NOSIGNAL);
            if (sent == static_cast<ssize_t>(frame.size())) {
                return TransferStatus::Ok;
            }
            if (sent >= 0) {
                return TransferStatus::Failed;  // a datagram is sent whole or not at all
            }
            if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) {
                const TransferStatus ready = waitFor(POLLOUT, deadline);
                if (ready != TransferStatus::Ok) {
                    return ready;
                }
                continue;
            }
            broken_ = isGone(errno);
            return broken_ ? TransferStatus::NoDevice : TransferStatus::Failed;
        }
    }

    TransferStatus waitFor(short events, Clock::time_point deadline) {
        for (;;) {
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
            if (left.count() < 0) {
                return TransferStatus::TimedOut;
            }
            pollfd entry{fd_, events, 0};
            const int ready = ::poll(&entry, 1, static_cast<int>(left.count()) + 1);
            if (ready < 0) {
                if (errno == EINTR) {
                    continue;
                }
                return TransferStatus::Failed;
            }
            if (ready == 0) {
                if (Clock::now() >= deadline) {
                    return TransferStatus::TimedOut;
                }
                continue;
            }
            if ((entry.revents & events) != 0) {
                return TransferStatus::Ok;  // data first: a reply may precede the hang-up
            }
            if ((entry.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0) {
                broken_ = true;
                return TransferStatus::NoDevice;
            }
        }
    }

    int fd_;
    std::uint32_t sequence_ = 0;
    bool broken_ = false;
};

class SocketDevices final : public Backend {
  public:
    std::vector<std::string> enumerate() override {
        std::vector<std::string> sockets;
        const std::string folder = vdev::socketFolder();
        if (!vdev::isPrivateFolder(folder)) {
            return {};
        }
        DIR* dir = ::opendir(folder.c_str());
        if (dir == nullptr) {
            return {};
        }
        const std::string suffix = vdev::kSocketSuffix;
        while (const dirent* entry = ::readdir(dir)) {
            const std::string name = entry->d_name;
            if (name.size() > suffix.size() &&
                name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0) {
                sockets.push_back(folder + "/" + name);
            }
        }
        ::closedir(dir);
        std::sort(sockets.begin(), sockets.end());

        std::vector<std::string> present;
        for (const std::string& socketPath : sockets) {
            // A socket file left behind by a killed simulator has no listener: skip it.
            const int probe = connectSocket(socketPath);
            if (probe >= 0) {
                ::close(probe);
                present.push_back(vdev::kPathPrefix + socketPath);
            }
        }
        return present;
    }

    OpenResult open(const std::string& path) override {
        const std::string prefix = vdev::kPathPrefix;
        if (path.compare(0, prefix.size(), prefix) != 0) {
            return {};
        }
        const int fd = connectSocket(path.substr(prefix.size()));
        if (fd < 0) {
            return {};
        }
        auto connection = std::make_unique<SocketConnection>(fd);
        // The device says at once whether it is free, as a USB interface claim would.
        const std::optional<vdev::FrameStatus> welcome = connection->greet(kTransferTimeout);
        if (welcome == vdev::FrameStatus::Ok) {
            return {std::move(connection), OpenRefusal::None};
        }
        if (welcome == vdev::FrameStatus::InUse) {
            return {nullptr, OpenRefusal::InUse};
        }
        return {};
    }
};

}  // namespace

Backend* virtualDeviceBackend() {
    static SocketDevices backend;
    return &backend;
}

}  // namespace velk
