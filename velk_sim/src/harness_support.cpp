// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Small helpers of the harness: preset configurations, socket paths, a private runtime folder.
#include <stdlib.h>

#include <stdexcept>
#include <system_error>

#include "transport/virtual_device_protocol.h"
#include "velk_sim/sim_harness.h"

namespace velksim {

namespace {

std::uint32_t mx29lv160Chip(const std::string& letters, std::size_t index) {
    if (index >= letters.size()) {
        return kNoChip;
    }
    switch (letters[index]) {
        case 'T':
            return kChipMx29lv160T;
        case 'B':
            return kChipMx29lv160B;
        default:
            return kNoChip;
    }
}

}  // namespace

DeviceConfig DeviceConfig::withMx29lv160Text(const std::string& letters, char model) {
    DeviceConfig config;
    config.model = model;
    config.romChipText = "MX29LV160" + letters;
    config.chips = {mx29lv160Chip(letters, 0), mx29lv160Chip(letters, 1)};
    return config;
}

std::filesystem::path defaultSocketPath(const std::string& name) {
    return std::filesystem::path(velk::vdev::socketFolder()) / (name + velk::vdev::kSocketSuffix);
}

ScopedRuntimeDir::ScopedRuntimeDir() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "velksim-runtime-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        throw std::system_error(errno, std::generic_category(), "mkdtemp");
    }
    path_ = pattern;
    if (const char* old = std::getenv("XDG_RUNTIME_DIR")) {
        previous_ = old;
    }
    ::setenv("XDG_RUNTIME_DIR", path_.c_str(), 1);
}

ScopedRuntimeDir::~ScopedRuntimeDir() {
    if (previous_) {
        ::setenv("XDG_RUNTIME_DIR", previous_->c_str(), 1);
    } else {
        ::unsetenv("XDG_RUNTIME_DIR");
    }
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

}  // namespace velksim
