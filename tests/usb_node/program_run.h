// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Runs a built program (nuvrel-cli, Nuvrel, umockdev-run) as a child of the test, which holds
// the emulated devices; the child inherits the testbed (UMOCKDEV_DIR) and the preload library.
#pragma once

#include <chrono>
#include <string>
#include <utility>
#include <vector>

namespace usbnodetest {

struct ProgramRun {
    int exitCode = -1;  // 128 + signal when a signal ended it; -1 when it had to be killed
    std::string out;
    std::string err;
    std::chrono::milliseconds elapsed{0};
};

struct RunOptions {
    // As a user without the udev rule: root gives up overriding file permissions.
    bool withoutRootFileAccess = false;
    std::vector<std::pair<std::string, std::string>> environment;  // added or replaced
    std::chrono::seconds deadline{180};  // then it is killed and the run counts as a hang
};

ProgramRun runProgram(const std::vector<std::string>& argv, const RunOptions& options = {});

// nuvrel-cli with these arguments.
ProgramRun runCli(const std::vector<std::string>& arguments, const RunOptions& options = {});

std::vector<std::uint8_t> readBytes(const std::string& path);
void writeBytes(const std::string& path, const std::vector<std::uint8_t>& bytes);

}  // namespace usbnodetest
