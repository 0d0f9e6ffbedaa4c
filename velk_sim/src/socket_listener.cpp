// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "socket_listener.h"

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "transport/virtual_device_protocol.h"

namespace velksim {

namespace {

bool someoneListens(const sockaddr_un& address) {
    const int probe = ::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (probe < 0) {
        return false;
    }
    const bool connected =
        ::connect(probe, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0 ||
        errno == EAGAIN;
    ::close(probe);
    return connected;
}

}  // namespace

bool SocketListener::listen(const std::filesystem::path& path, bool requirePrivate,
                            std::string& error) {
    close();
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string text = path.string();
    if (text.size() >= sizeof(address.sun_path)) {
        error = "socket path is longer than " + std::to_string(sizeof(address.sun_path) - 1) +
                " characters: " + text;
        return false;
    }
    std::memcpy(address.sun_path, text.c_str(), text.size() + 1);

    const std::filesystem::path folder = path.parent_path();
    if (!folder.empty() && !std::filesystem::exists(folder)) {
        std::error_code ec;
        std::filesystem::create_directories(folder, ec);
        if (ec) {
            error = "cannot create " + folder.string() + ": " + ec.message();
            return false;
        }
        std::filesystem::permissions(folder, std::filesystem::perms::owner_all, ec);
    }
    if (requirePrivate && !velk::vdev::isPrivateFolder(folder.string())) {
        error = folder.string() +
                " is not a folder of this user that only this user may write to; the programs "
                "would not look for devices there";
        return false;
    }
    struct stat existing {};
    if (::lstat(text.c_str(), &existing) == 0) {
        if (!S_ISSOCK(existing.st_mode)) {
            error = text + " exists and is not a socket";
            return false;
        }
        if (someoneListens(address)) {
            error = "another device is already listening on " + text;
            return false;
        }
        ::unlink(text.c_str());  // left behind by a device that was killed
    }

    const int fd = ::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) {
        error = std::string("cannot create a socket: ") + std::strerror(errno);
        return false;
    }
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0 ||
        ::listen(fd, 16) != 0) {
        error = "cannot listen on " + text + ": " + std::strerror(errno);
        ::close(fd);
        return false;
    }
    struct stat created {};
    ::stat(text.c_str(), &created);
    fd_ = fd;
    path_ = path;
    inode_ = created.st_ino;
    return true;
}

void SocketListener::close() {
    if (fd_ < 0) {
        return;
    }
    ::close(fd_);
    fd_ = -1;
    struct stat current {};
    if (::lstat(path_.c_str(), &current) == 0 && current.st_ino == inode_) {
        ::unlink(path_.c_str());
    }
}

}  // namespace velksim
