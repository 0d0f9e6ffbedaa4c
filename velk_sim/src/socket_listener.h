// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The listening end of a virtual device: a SOCK_SEQPACKET Unix socket at a path, removed again
// only if it is still the one this listener created.
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <string>

namespace velksim {

class SocketListener {
  public:
    SocketListener() = default;
    ~SocketListener() { close(); }
    SocketListener(const SocketListener&) = delete;
    SocketListener& operator=(const SocketListener&) = delete;

    // Creates the folder if needed (private to the user), replaces a stale socket file left by
    // a killed device, and refuses a path another device is listening on. With requirePrivate
    // the folder must belong to the user and be writable by nobody else.
    bool listen(const std::filesystem::path& path, bool requirePrivate, std::string& error);
    void close();
    int fd() const { return fd_; }
    bool open() const { return fd_ >= 0; }

  private:
    int fd_ = -1;
    std::filesystem::path path_;
    ino_t inode_ = 0;
};

}  // namespace velksim
