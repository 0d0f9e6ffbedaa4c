// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "engine/input_file.h"

#include <sys/stat.h>

#include <filesystem>
#include <system_error>

#if !defined(_WIN32)
#include <fcntl.h>
#include <unistd.h>
#endif

namespace nuvrel {

InputFile::InputFile(const std::string& path) {
#if defined(_WIN32)
    std::error_code error;
    if (std::filesystem::exists(path, error) && !std::filesystem::is_regular_file(path, error)) {
        status_ = Status::NotRegular;
        return;
    }
    file_ = std::fopen(path.c_str(), "rb");
    if (file_ == nullptr) {
        return;
    }
    const auto measured = std::filesystem::file_size(path, error);
    size_ = error ? 0 : measured;
    status_ = Status::Opened;
#else
    // Non-blocking, so that opening a FIFO without a writer returns at once; the type is then
    // taken from the opened descriptor, so nothing can be swapped in between.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        ::close(fd);
        return;
    }
    if (!S_ISREG(info.st_mode)) {
        status_ = Status::NotRegular;
        ::close(fd);
        return;
    }
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        ::close(fd);
        return;
    }
    file_ = ::fdopen(fd, "rb");
    if (file_ == nullptr) {
        ::close(fd);
        return;
    }
    size_ = static_cast<std::uint64_t>(info.st_size);
    status_ = Status::Opened;
#endif
}

InputFile::~InputFile() {
    if (file_ != nullptr) {
        std::fclose(file_);
    }
}

}  // namespace nuvrel
