// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "memory_image.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace velksim {

namespace {

std::runtime_error failure(const std::string& what, const std::filesystem::path& file) {
    return std::runtime_error(what + " " + file.string() + ": " + std::strerror(errno));
}

}  // namespace

MemoryImage::MemoryImage(std::size_t size, std::uint8_t fill)
    : heap_(size, fill), data_(heap_.data()), size_(size) {}

MemoryImage::MemoryImage(const std::filesystem::path& file, std::size_t size, std::uint8_t fill)
    : size_(size) {
    const int fd = ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) {
        throw failure("cannot open", file);
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        ::close(fd);
        throw failure("cannot inspect", file);
    }
    const auto existing = static_cast<std::size_t>(info.st_size);
    if (existing < size && ::ftruncate(fd, static_cast<off_t>(size)) != 0) {
        ::close(fd);
        throw failure("cannot extend", file);
    }
    void* map = ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    ::close(fd);
    if (map == MAP_FAILED) {
        throw failure("cannot map", file);
    }
    data_ = static_cast<std::uint8_t*>(map);
    mapped_ = true;
    if (existing < size) {
        std::memset(data_ + existing, fill, size - existing);
    }
}

MemoryImage::~MemoryImage() {
    if (mapped_) {
        ::munmap(data_, size_);
    }
}

}  // namespace velksim
