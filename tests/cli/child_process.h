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

// A signal sent once its condition first holds (after the signal before it); the condition sees
// what the child has printed so far.
struct SignalWhen {
    int signal;
    std::function<bool(const CliRun& soFar)> when;
};

// The same with the child leading a process group of its own, as a shell's foreground job, and
// each signal sent to the whole group, as a terminal sends Ctrl-C (SIGINT).
CliRun RunCliSignalled(const std::vector<std::string>& arguments,
                       const std::vector<SignalWhen>& signals);

// The same, pressing Ctrl-C once interruptWhen() first returns true while it runs.
CliRun RunCliInterrupted(const std::vector<std::string>& arguments,
                         const std::function<bool()>& interruptWhen);

// The same with stdout and stderr on a pseudo-terminal, as when a user runs it; everything the
// terminal received ends up in out.
CliRun RunCliOnTerminal(const std::vector<std::string>& arguments);

// The lines of a text without their line ends.
std::vector<std::string> Lines(const std::string& text);

}  // namespace clitest
