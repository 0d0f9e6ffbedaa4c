// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// A file the engines read: an image, a save file or a patch file. Only regular files qualify: a
// directory, a device such as /dev/zero, a FIFO or a socket would block, never end or mean
// nothing, so it is refused before anything is read from it.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

namespace nuvrel {

class InputFile {
  public:
    enum class Status {
        Opened,
        CannotOpen,  // missing, unreadable
        NotRegular,  // a directory, device, FIFO or socket
    };

    // Opens for reading in binary mode; never blocks on a FIFO.
    explicit InputFile(const std::string& path);
    ~InputFile();
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    Status status() const { return status_; }
    bool opened() const { return status_ == Status::Opened; }
    std::FILE* get() const { return file_; }
    // The size when it was opened.
    std::uint64_t size() const { return size_; }

  private:
    Status status_ = Status::CannotOpen;
    std::FILE* file_ = nullptr;
    std::uint64_t size_ = 0;
};

// "Not a regular file": what front ends say for Status::NotRegular.
inline constexpr const char* kNotARegularFile = "Not a regular file";

}  // namespace nuvrel
