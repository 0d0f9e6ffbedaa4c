// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "child_process.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

extern char** environ;

namespace clitest {
namespace {

std::string ReadAll(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Far longer than any run against the virtual device needs; a child that is still running then
// hangs and is killed, so a hang fails its test instead of stalling the whole suite.
constexpr auto kChildDeadline = std::chrono::minutes(5);

// The child's exit code (128 + the signal when a signal ended it), or -1 when it had to be killed.
// The next signal's condition is asked while it runs; when it holds, the child's process group
// gets the signal.
int WaitForChild(pid_t child, std::chrono::steady_clock::time_point deadline,
                 const std::vector<SignalWhen>& signals = {},
                 const std::function<CliRun()>& soFar = {}) {
    int status = 0;
    std::size_t sent = 0;
    for (;;) {
        if (sent < signals.size() && signals[sent].when(soFar())) {
            kill(-child, signals[sent].signal);
            ++sent;
        }
        const pid_t done = waitpid(child, &status, WNOHANG);
        if (done == child) {
            // As a shell reports it: a child ended by a signal gives 128 + the signal.
            if (WIFSIGNALED(status)) {
                return 128 + WTERMSIG(status);
            }
            return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        }
        if (done < 0) {
            return -1;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            kill(child, SIGKILL);
            waitpid(child, &status, 0);
            std::fprintf(stderr, "nuvrel-cli did not end in time and was killed\n");
            return -1;
        }
        usleep(10 * 1000);
    }
}

// The program's path followed by the arguments, as the null-ended array spawn and exec take.
class CliArguments {
  public:
    explicit CliArguments(const std::vector<std::string>& arguments) : storage_{NUVREL_CLI_PATH} {
        storage_.insert(storage_.end(), arguments.begin(), arguments.end());
        for (std::string& argument : storage_) {
            pointers_.push_back(argument.data());
        }
        pointers_.push_back(nullptr);
    }
    CliArguments(const CliArguments&) = delete;
    CliArguments& operator=(const CliArguments&) = delete;

    char** get() { return pointers_.data(); }

  private:
    std::vector<std::string> storage_;
    std::vector<char*> pointers_;
};

}  // namespace

CliRun RunCli(const std::vector<std::string>& arguments) {
    return RunCliSignalled(arguments, {});
}

CliRun RunCliInterrupted(const std::vector<std::string>& arguments,
                         const std::function<bool()>& interruptWhen) {
    return RunCliSignalled(arguments,
                           {{SIGINT, [interruptWhen](const CliRun&) { return interruptWhen(); }}});
}

CliRun RunCliSignalled(const std::vector<std::string>& arguments,
                       const std::vector<SignalWhen>& signals) {
    char pattern[] = "/tmp/nuvrel-cli-run-XXXXXX";
    const char* folder = mkdtemp(pattern);
    if (folder == nullptr) {
        return {};
    }
    const std::filesystem::path outPath = std::filesystem::path(folder) / "out";
    const std::filesystem::path errPath = std::filesystem::path(folder) / "err";

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, outPath.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errPath.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);

    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
    posix_spawnattr_setpgroup(&attributes, 0);

    CliArguments argv(arguments);

    CliRun run;
    pid_t child = 0;
    if (posix_spawn(&child, NUVREL_CLI_PATH, &actions, &attributes, argv.get(), environ) == 0) {
        run.exitCode =
            WaitForChild(child, std::chrono::steady_clock::now() + kChildDeadline, signals, [&] {
                return CliRun{-1, ReadAll(outPath), ReadAll(errPath)};
            });
    }
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    run.out = ReadAll(outPath);
    run.err = ReadAll(errPath);
    std::filesystem::remove_all(folder);
    return run;
}

CliRun RunCliOnTerminal(const std::vector<std::string>& arguments) {
    CliArguments argv(arguments);

    CliRun run;
    int terminal = -1;
    const pid_t child = forkpty(&terminal, nullptr, nullptr, nullptr);
    if (child < 0) {
        return run;
    }
    if (child == 0) {
        execv(NUVREL_CLI_PATH, argv.get());
        _exit(127);
    }
    const auto deadline = std::chrono::steady_clock::now() + kChildDeadline;
    char buffer[4096];
    for (;;) {
        pollfd ready{terminal, POLLIN, 0};
        const int polled = poll(&ready, 1, 100);
        if (polled < 0 && errno == EINTR) {
            continue;
        }
        if (polled == 0) {
            if (std::chrono::steady_clock::now() >= deadline) {
                break;  // WaitForChild kills it
            }
            continue;
        }
        const ssize_t count = read(terminal, buffer, sizeof buffer);
        if (count <= 0) {
            break;  // EIO once the child has closed its side
        }
        run.out.append(buffer, static_cast<std::size_t>(count));
    }
    run.exitCode = WaitForChild(child, deadline);
    close(terminal);
    return run;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        lines.push_back(line);
    }
    return lines;
}

}  // namespace clitest
