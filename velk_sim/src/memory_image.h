// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// A block of device memory, either in this process or mapped from a raw image file so that what
// the device holds survives a killed simulator and can be inspected with any hex viewer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

namespace velksim {

class MemoryImage {
  public:
    // Heap memory of `size` bytes set to `fill`.
    MemoryImage(std::size_t size, std::uint8_t fill);
    // Maps `file` (created if missing). A file shorter than `size` is extended with `fill`; a
    // longer one keeps its extra bytes untouched. Throws std::runtime_error on failure.
    MemoryImage(const std::filesystem::path& file, std::size_t size, std::uint8_t fill);
    ~MemoryImage();
    MemoryImage(const MemoryImage&) = delete;
    MemoryImage& operator=(const MemoryImage&) = delete;

    std::span<std::uint8_t> bytes() { return {data_, size_}; }
    std::span<const std::uint8_t> bytes() const { return {data_, size_}; }
    std::size_t size() const { return size_; }

  private:
    std::vector<std::uint8_t> heap_;
    std::uint8_t* data_ = nullptr;
    std::size_t size_ = 0;
    bool mapped_ = false;
};

}  // namespace velksim
