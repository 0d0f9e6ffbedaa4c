// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "program_run.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include "usb_node.h"

extern char** environ;

namespace usbnodetest {

namespace {

using Clock = std::chrono::steady_clock;

int exitCodeOf(int status) {
    if (WIFSIGNALED(status)) {
        return 128 + WTERMSIG(status);
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

ProgramRun runProgram(const std::vector<std::string>& argv, const RunOptions& options) {
    ProgramRun run;
    int outPipe[2];
    int errPipe[2];
    if (pipe2(outPipe, O_CLOEXEC) != 0 || pipe2(errPipe, O_CLOEXEC) != 0) {
        return run;
    }
    // Everything the child needs is made before the fork: a child of a process with other
    // threads (umockdev's) may only make async-signal-safe calls until it executes the program.
    std::vector<std::string> environment;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string text = *entry;
        const std::string name = text.substr(0, text.find('='));
        const bool replaced = std::any_of(options.environment.begin(), options.environment.end(),
                                          [&name](const auto& pair) { return pair.first == name; });
        if (!replaced) {
            environment.push_back(text);
        }
    }
    for (const auto& [name, value] : options.environment) {
        environment.push_back(name + "=" + value);
    }
    std::vector<char*> envp;
    for (std::string& entry : environment) {
        envp.push_back(entry.data());
    }
    envp.push_back(nullptr);
    std::vector<char*> args;
    for (const std::string& word : argv) {
        args.push_back(const_cast<char*>(word.c_str()));
    }
    args.push_back(nullptr);
    const int devNull = open("/dev/null", O_RDONLY | O_CLOEXEC);

    const auto start = Clock::now();
    const pid_t child = fork();
    if (child == 0) {
        dup2(devNull, STDIN_FILENO);
        dup2(outPipe[1], STDOUT_FILENO);
        dup2(errPipe[1], STDERR_FILENO);
        if (options.withoutRootFileAccess && !velkusb::dropRootFileAccess()) {
            _exit(126);
        }
        execve(args[0], args.data(), envp.data());
        _exit(127);
    }
    close(devNull);
    close(outPipe[1]);
    close(errPipe[1]);
    pollfd fds[2] = {{outPipe[0], POLLIN, 0}, {errPipe[0], POLLIN, 0}};
    std::string* sinks[2] = {&run.out, &run.err};
    int open = 2;
    bool killed = false;
    const auto deadline = start + options.deadline;
    while (open > 0) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0 && !killed) {
            kill(child, SIGKILL);
            killed = true;
        }
        if (poll(fds, 2, killed ? 1000 : static_cast<int>(std::min<long>(left.count(), 1000))) <
            0) {
            continue;
        }
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || (fds[i].revents & (POLLIN | POLLHUP | POLLERR)) == 0) {
                continue;
            }
            char buffer[4096];
            const ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
            if (n > 0) {
                sinks[i]->append(buffer, static_cast<std::size_t>(n));
            } else {
                close(fds[i].fd);
                fds[i].fd = -1;
                --open;
            }
        }
        if (killed && Clock::now() > deadline + std::chrono::seconds(5)) {
            break;
        }
    }
    int status = 0;
    waitpid(child, &status, 0);
    run.elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
    run.exitCode = killed ? -1 : exitCodeOf(status);
    for (auto& fd : fds) {
        if (fd.fd >= 0) {
            close(fd.fd);
        }
    }
    return run;
}

ProgramRun runCli(const std::vector<std::string>& arguments, const RunOptions& options) {
    std::vector<std::string> argv{NUVREL_CLI_PATH};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    return runProgram(argv, options);
}

std::vector<std::uint8_t> readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

}  // namespace usbnodetest
