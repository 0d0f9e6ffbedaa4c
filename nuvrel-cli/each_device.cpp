// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "each_device.h"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <CLI/CLI.hpp>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "cli_failure.h"
#include "console_progress.h"
#include "device_access.h"
#include "device_listing.h"
#include "engine/operation_outcome.h"
#include "printable_text.h"

extern char** environ;

namespace nuvrel::cli {
namespace {

using Clock = std::chrono::steady_clock;

constexpr auto kPollInterval = std::chrono::milliseconds(500);

// Ctrl-C presses so far (at most 2). The children run in process groups of their own, so the
// terminal's Ctrl-C reaches this process alone and each child hears of each press once, from here.
volatile std::sig_atomic_t g_interrupts = 0;

// The first press asks every child to stop at its next block; the second makes them quit at
// once; a third ends this process as Ctrl-C normally does.
void NoteInterrupt(int) {
    if (g_interrupts < 2) {
        g_interrupts = g_interrupts + 1;
    }
    if (g_interrupts >= 2) {
        struct sigaction fallback {};
        fallback.sa_handler = SIG_DFL;
        sigemptyset(&fallback.sa_mask);
        sigaction(SIGINT, &fallback, nullptr);
    }
}

constexpr char kStoppedByCtrlC[] = "stopped by Ctrl-C";

struct DeviceRun {
    std::string name;
    std::string path;
    pid_t pid = -1;
    int output = -1;  // the child's stdout and stderr
    std::string pending;
    std::string lastLine;
    std::vector<std::string> unshown;  // lines not printed yet (output that is not a terminal)
    std::string crc;
    int exitCode = -1;
    bool stopped = false;  // by Ctrl-C: at a block boundary, or at once by a second one
    Clock::time_point start = Clock::now();
    Clock::time_point end{};

    bool running() const { return pid > 0; }
    bool succeeded() const { return exitCode == 0; }
    const char* result() const { return succeeded() ? "ok" : stopped ? kStoppedByCtrlC : "FAILED"; }
};

// This process's arguments as it was started, without the options that ask for the fan-out
// or name a device: every child gets its own --device.
std::vector<std::string> ChildArguments() {
    std::ifstream file("/proc/self/cmdline", std::ios::binary);
    const std::string all{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    std::vector<std::string> words;
    for (std::size_t start = 0; start < all.size();) {
        const std::size_t end = all.find('\0', start);
        words.push_back(all.substr(start, end - start));
        start = end == std::string::npos ? all.size() : end + 1;
    }
    std::vector<std::string> kept;
    for (std::size_t i = 1; i < words.size(); ++i) {
        const std::string& word = words[i];
        if (word == "--each-device" || word.rfind("--wait-for=", 0) == 0 ||
            word.rfind("--device=", 0) == 0) {
            continue;
        }
        if (word == "--wait-for" || word == "--device") {
            ++i;
            continue;
        }
        kept.push_back(word);
    }
    return kept;
}

std::string OwnProgram() {
    std::error_code error;
    const auto path = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string("nuvrel-cli") : path.string();
}

bool Start(DeviceRun& run, const std::string& program, std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), program);
    arguments.push_back("--device");
    arguments.push_back(run.path);
    std::vector<char*> argv;
    for (std::string& argument : arguments) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        return false;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDERR_FILENO);
    // A group of its own: the terminal's Ctrl-C would otherwise reach the child as well as the
    // one passed on from here, and the second makes it quit in the middle of a transfer.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
    posix_spawnattr_setpgroup(&attributes, 0);
    pid_t pid = -1;
    const int error =
        posix_spawn(&pid, program.c_str(), &actions, &attributes, argv.data(), environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    ::close(fds[1]);
    if (error != 0) {
        ::close(fds[0]);
        return false;
    }
    run.pid = pid;
    run.output = fds[0];
    run.start = Clock::now();
    return true;
}

void TakeLine(DeviceRun& run, const std::string& line) {
    if (line.empty()) {
        return;
    }
    run.lastLine = line;
    run.unshown.push_back(line);
    if (line.rfind("CRC32: ", 0) == 0) {
        run.crc = line.substr(7);
    }
}

// Reads what is there; false once the child closed its end.
bool Drain(DeviceRun& run) {
    char buffer[4096];
    const ssize_t got = ::read(run.output, buffer, sizeof buffer);
    if (got < 0 && (errno == EINTR || errno == EAGAIN)) {
        return true;
    }
    if (got <= 0) {
        TakeLine(run, run.pending);
        run.pending.clear();
        return false;
    }
    run.pending.append(buffer, static_cast<std::size_t>(got));
    std::size_t end;
    while ((end = run.pending.find_first_of("\r\n")) != std::string::npos) {
        TakeLine(run, run.pending.substr(0, end));
        run.pending.erase(0, end + 1);
    }
    return true;
}

void Reap(DeviceRun& run) {
    ::close(run.output);
    run.output = -1;
    int status = 0;
    while (::waitpid(run.pid, &status, 0) < 0 && errno == EINTR) {
    }
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    run.stopped = run.exitCode == kExitInterrupted;
    if (WIFSIGNALED(status) && WTERMSIG(status) == SIGINT) {
        // A child whose run had completed may die of the Ctrl-C passed on to it on its way out.
        // Its device holds the image all the same: "Write Complite" comes only after a run that
        // truly completed. Any other dies of a second Ctrl-C, or of the first before its run
        // began.
        if (run.lastLine == kStatusWriteComplete) {
            run.exitCode = 0;
            run.stopped = false;
        } else {
            run.lastLine = "quit at once by Ctrl-C";
        }
    }
    run.pid = -1;
    run.end = Clock::now();
}

std::string Seconds(const DeviceRun& run) {
    return FormatDuration(std::chrono::duration<double>(run.end - run.start).count());
}

class Fleet {
  public:
    explicit Fleet(const EachDeviceOptions& options)
        : options_(options), program_(OwnProgram()), arguments_(ChildArguments()) {
        live_ = isatty(STDOUT_FILENO) != 0;
    }

    int run() {
        struct sigaction action {};
        action.sa_handler = &NoteInterrupt;
        sigemptyset(&action.sa_mask);
        struct sigaction previous {};
        sigaction(SIGINT, &action, &previous);
        startNewDevices();
        if (runs_.empty() && options_.waitFor == 0) {
            sigaction(SIGINT, &previous, nullptr);
            throw DeviceUnavailable();
        }
        if (options_.waitFor > 0) {
            std::printf("Waiting for devices: %u to program (Ctrl-C to stop)\n", options_.waitFor);
            std::fflush(stdout);
        }
        auto nextPoll = Clock::now() + kPollInterval;
        while (anyRunning() || (wantMore() && g_interrupts == 0)) {
            passOnInterrupts();
            waitForOutput(nextPoll);
            if (Clock::now() >= nextPoll) {
                if (wantMore() && g_interrupts == 0) {
                    startNewDevices();
                }
                nextPoll = Clock::now() + kPollInterval;
            }
        }
        sigaction(SIGINT, &previous, nullptr);
        return summarise();
    }

  private:
    // Each Ctrl-C reaches every running child once.
    void passOnInterrupts() {
        while (passedOn_ < g_interrupts) {
            ++passedOn_;
            if (anyRunning()) {
                std::fflush(stdout);
                std::fprintf(stderr, "%s\n",
                             passedOn_ == 1 ? "Stopping every device at its next block (Ctrl-C "
                                              "again to quit now)"
                                            : "Quitting now");
                drawnLines_ = 0;  // the device lines are drawn afresh below the notice
            }
            for (DeviceRun& run : runs_) {
                if (run.running()) {
                    ::kill(run.pid, SIGINT);
                }
            }
        }
    }

    bool anyRunning() const {
        for (const DeviceRun& run : runs_) {
            if (run.running()) {
                return true;
            }
        }
        return false;
    }

    unsigned programmed() const {
        unsigned count = 0;
        for (const DeviceRun& run : runs_) {
            count += run.succeeded() ? 1 : 0;
        }
        return count;
    }

    // Without --wait-for, only the devices found at the start; with it, until enough succeeded
    // (a device still running may yet make up the number).
    bool wantMore() const {
        if (options_.waitFor == 0) {
            return false;
        }
        unsigned mayStillSucceed = programmed();
        for (const DeviceRun& run : runs_) {
            mayStillSucceed += run.running() ? 1 : 0;
        }
        return mayStillSucceed < options_.waitFor;
    }

    // A device is programmed once per plug-in: it is forgotten only when a listing no longer
    // shows it, so a device that stays attached is never programmed twice.
    void startNewDevices() {
        std::vector<VelkDeviceListing> devices = ListDevices(0);
        std::set<std::string> present;
        for (const VelkDeviceListing& device : devices) {
            if (device.listed != 0) {
                present.insert(device.path);
            }
        }
        std::erase_if(done_,
                      [&present](const std::string& path) { return !present.contains(path); });
        for (const VelkDeviceListing& device : devices) {
            if (device.listed == 0 || done_.contains(device.path) || !wantOneMore()) {
                continue;
            }
            DeviceRun run;
            run.name = Printable(device.name);
            run.path = device.path;
            done_.insert(run.path);
            if (!Start(run, program_, arguments_)) {
                run.lastLine = "could not start " + program_;
                run.exitCode = kExitFailed;
                run.end = run.start;
            }
            runs_.push_back(std::move(run));
            show(runs_.back());
        }
    }

    bool wantOneMore() const { return options_.waitFor == 0 || wantMore(); }

    void waitForOutput(Clock::time_point until) {
        std::vector<pollfd> fds;
        std::vector<DeviceRun*> owners;
        for (DeviceRun& run : runs_) {
            if (run.running()) {
                fds.push_back({run.output, POLLIN, 0});
                owners.push_back(&run);
            }
        }
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now());
        const int timeout =
            static_cast<int>(std::max<std::chrono::milliseconds::rep>(left.count(), 0));
        if (fds.empty()) {
            std::this_thread::sleep_for(std::chrono::milliseconds(timeout));
            return;
        }
        if (::poll(fds.data(), fds.size(), timeout) <= 0) {
            return;
        }
        for (std::size_t i = 0; i < fds.size(); ++i) {
            if (fds[i].revents == 0) {
                continue;
            }
            const bool open = Drain(*owners[i]);
            if (!open) {
                Reap(*owners[i]);
            }
            show(*owners[i]);
        }
    }

    // One line per device: redrawn in place on a terminal, else each change on a line of its own.
    void show(DeviceRun& changed) {
        if (!live_) {
            for (const std::string& line : changed.unshown) {
                std::printf("%s: %s\n", changed.name.c_str(), Printable(line).c_str());
            }
            changed.unshown.clear();
            std::fflush(stdout);
            return;
        }
        changed.unshown.clear();
        if (drawnLines_ > 0) {
            std::printf("\033[%zuA", drawnLines_);
        }
        for (const DeviceRun& run : runs_) {
            std::printf("\r\033[K%-16s %s\n", run.name.c_str(), Printable(run.lastLine).c_str());
        }
        drawnLines_ = runs_.size();
        std::fflush(stdout);
    }

    int summarise() const {
        int resultWidth = 8;
        for (const DeviceRun& run : runs_) {
            resultWidth = std::max(resultWidth, static_cast<int>(std::strlen(run.result())));
        }
        std::printf("\n%-16s %-*s %-9s %-9s %s\n", "Device", resultWidth, "Result", "CRC32", "Time",
                    "Last message");
        bool allOk = true;
        bool interrupted = false;
        for (const DeviceRun& run : runs_) {
            allOk = allOk && run.succeeded();
            interrupted = interrupted || run.stopped;
            std::printf("%-16s %-*s %-9s %-9s %s\n", run.name.c_str(), resultWidth, run.result(),
                        run.crc.empty() ? "-" : Printable(run.crc).c_str(), Seconds(run).c_str(),
                        Printable(run.lastLine).c_str());
        }
        std::printf("Programmed %u of %zu device(s)\n", programmed(), runs_.size());
        std::fflush(stdout);
        if (g_interrupts > 0 || interrupted) {
            return kExitInterrupted;
        }
        if (options_.waitFor > 0 && programmed() < options_.waitFor) {
            return kExitFailed;
        }
        return allOk ? kExitSuccess : kExitFailed;
    }

    const EachDeviceOptions& options_;
    std::string program_;
    std::vector<std::string> arguments_;
    bool live_ = false;
    std::vector<DeviceRun> runs_;
    std::set<std::string> done_;
    std::size_t drawnLines_ = 0;
    std::sig_atomic_t passedOn_ = 0;
};

}  // namespace

std::shared_ptr<EachDeviceOptions> AddEachDeviceOptions(CLI::App& command) {
    auto options = std::make_shared<EachDeviceOptions>();
    CLI::Option* each = command.add_flag(
        "--each-device", options->eachDevice,
        "Run on every attached device at once, one process each, and print a summary");
    CLI::Option* wait = command.add_option(
        "--wait-for", options->waitFor,
        "As --each-device, then program devices as they are plugged in until N have been "
        "programmed (or Ctrl-C); each device once per plug-in");
    wait->check(CLI::Range(1u, 100000u));
    for (CLI::Option* fanOut : {each, wait}) {
        if (CLI::Option* device = command.get_option_no_throw("--device")) {
            fanOut->excludes(device);
        }
        if (CLI::Option* json = command.get_option_no_throw("--json")) {
            fanOut->excludes(json);
        }
        SkipDeviceChoiceWith(fanOut);
    }
    return options;
}

int RunOnEachDevice(const EachDeviceOptions& options) {
    g_interrupts = 0;
    Fleet fleet(options);
    return fleet.run();
}

}  // namespace nuvrel::cli
