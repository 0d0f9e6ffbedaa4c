// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <array>
#include <cstring>

#include "transport/virtual_device_protocol.h"
#include "velk_sim/sim_harness.h"

namespace velksim {

namespace {

// As long as the library waits for a device to answer.
constexpr int kAnswerTimeoutMs = 5000;

}  // namespace

OtherHost::OtherHost(const std::filesystem::path& socketPath) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string path = socketPath.string();
    if (path.size() >= sizeof(address.sun_path)) {
        return;
    }
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    const int fd = ::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return;
    }
    const std::vector<std::uint8_t> hello =
        velk::vdev::encodeFrame({velk::vdev::FrameKind::Hello, velk::vdev::FrameStatus::Ok, 1, 0});
    pollfd entry{fd, POLLIN, 0};
    std::array<std::uint8_t, velk::vdev::kHeaderBytes + 16> reply{};
    ssize_t got = -1;
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0 &&
        ::send(fd, hello.data(), hello.size(), MSG_NOSIGNAL) ==
            static_cast<ssize_t>(hello.size()) &&
        ::poll(&entry, 1, kAnswerTimeoutMs) > 0) {
        got = ::recv(fd, reply.data(), reply.size(), MSG_DONTWAIT);
    }
    const auto header = got > 0
                            ? velk::vdev::decodeFrame({reply.data(), static_cast<std::size_t>(got)})
                            : std::nullopt;
    if (header && header->kind == velk::vdev::FrameKind::Welcome && header->sequence == 1) {
        if (header->status == velk::vdev::FrameStatus::Ok) {
            answer_ = Answer::Welcome;
            fd_ = fd;
            return;
        }
        if (header->status == velk::vdev::FrameStatus::InUse) {
            answer_ = Answer::InUse;
        }
    }
    ::close(fd);
}

OtherHost::~OtherHost() {
    release();
}

void OtherHost::release() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

}  // namespace velksim
