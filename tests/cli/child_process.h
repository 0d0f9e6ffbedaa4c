// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Runs the built nuvrel-cli as a child process and collects what it printed.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace clitest {

struct CliRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// The child inherits this process's environment, XDG_RUNTIME_DIR included.
CliRun RunCli(const std::vector<std::string>& arguments);

// The same, pressing Ctrl-C (SIGINT) once interruptWhen() first returns true while it runs.
CliRun RunCliInterrupted(const std::vector<std::string>& arguments,
                         const std::function<bool()>& interruptWhen);

// The same with stdout and stderr on a pseudo-terminal, as when a user runs it; everything the
// terminal received ends up in out.
CliRun RunCliOnTerminal(const std::vector<std::string>& arguments);

// The lines of a text without their line ends.
std::vector<std::string> Lines(const std::string& text);

}  // namespace clitest
