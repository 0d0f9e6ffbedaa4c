// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// What nuvrel-cli doctor checks, in order, on a machine seen through a root folder (the real
// "/" when run, a scratch folder in tests) and the library's device listing.
#pragma once

#include <velk_series/velk_series.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace nuvrel::cli {

enum class CheckState { Ok, Warning, Failed, NotApplicable };

struct CheckResult {
    std::string title;
    CheckState state = CheckState::NotApplicable;
    std::string found;
    std::string fix;  // empty when there is nothing to do
};

struct DoctorInput {
    std::filesystem::path root = "/";
    std::vector<VelkDeviceListing> devices;   // listed ones, opened briefly to tell if free
    std::vector<VelkDeviceListing> unlisted;  // USB devices of the Velk shape off the ID list
    std::vector<std::pair<std::uint16_t, std::uint16_t>> listedIds;
};

struct DoctorReport {
    std::vector<CheckResult> checks;
    bool deviceUsable = false;  // some device, USB or virtual, can be used now
};

DoctorReport RunDoctorChecks(const DoctorInput& input);

// "ok  ", "warn", "FAIL", "--  " as printed in front of each check.
const char* StateTag(CheckState state);

}  // namespace nuvrel::cli
