// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later
// velk-usb-node: virtual Velk devices on emulated usbfs nodes (umockdev) for a program run under
// it, which finds them through libusb as plugged-in devices. A test tool of this tree (the
// suite, scripts/bench and docs/usb-testing.md use it), never installed.
//
//   velk-usb-node [options] -- PROGRAM [ARGUMENTS...]   runs PROGRAM, exits with its exit code
//   velk-usb-node [options]                             keeps the devices until Ctrl-C
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <thread>

#include "command_block.h"
#include "usb_node.h"

namespace {

volatile sig_atomic_t g_stop = 0;

std::uint16_t hex16(const std::string& text, const std::string& what) {
    std::size_t used = 0;
    const unsigned long value = std::stoul(text, &used, 16);
    if (used != text.size() || value > 0xFFFF) {
        throw CLI::ValidationError(what, "not four hexadecimal digits: " + text);
    }
    return static_cast<std::uint16_t>(value);
}

// "key=value,key=value": id=VVVV:PPPP serial=S port=B-P[.P] state=DIR model=c
velkusb::NodeDeviceConfig parseDevice(const std::string& spec,
                                      const velkusb::NodeDeviceConfig& defaults) {
    velkusb::NodeDeviceConfig config = defaults;
    std::stringstream parts(spec);
    std::string part;
    while (std::getline(parts, part, ',')) {
        const std::size_t equals = part.find('=');
        const std::string key = part.substr(0, equals);
        const std::string value = equals == std::string::npos ? "" : part.substr(equals + 1);
        if (key == "id" && value.size() == 9 && value[4] == ':') {
            config.vendorId = hex16(value.substr(0, 4), "--device id");
            config.productId = hex16(value.substr(5), "--device id");
        } else if (key == "serial") {
            config.serial = value;
        } else if (key == "port") {
            config.port = value;
        } else if (key == "state") {
            config.stateDir = value;
        } else if (key == "model" && value.size() == 1) {
            config.device.model = value[0];
        } else {
            throw CLI::ValidationError("--device", "unknown or bad item: " + part);
        }
    }
    return config;
}

std::optional<velkusb::UrbTrigger> trigger(std::uint64_t urb) {
    if (urb == 0) {
        return std::nullopt;
    }
    return velkusb::UrbTrigger::atUrb(urb);
}

void writeReport(const std::string& path, const velkusb::UsbNode& node, std::size_t count) {
    std::ofstream out(path);
    for (std::size_t i = 0; i < count; ++i) {
        const velkusb::UrbStats s = node.stats(i);
        out << "device " << i << " port " << node.port(i) << "\n"
            << "  urbs submitted " << s.submitted << " reaped " << s.reaped << " discarded "
            << s.discarded << " left-at-close " << s.leftAtClose << " refused " << s.refusedSubmits
            << "\n"
            << "  stalls " << s.stalls << " clear-halts " << s.clearHalts << " resets " << s.resets
            << " opens " << s.opens << " unplugs " << s.unplugs << "\n"
            << "  stale-replies-delivered " << s.staleRepliesDelivered << " late-writes "
            << s.lateWrites << "\n"
            << "  wire-us " << node.wireTime(i).count() << "\n";
        for (const std::string& error : node.protocolErrors(i)) {
            out << "  protocol-error " << error << "\n";
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    velkusb::enterMockEnvironment(argv);

    CLI::App app{
        "Virtual Velk devices on emulated USB device nodes (umockdev): PROGRAM, run under it, "
        "finds them through libusb as plugged-in devices"};
    std::vector<std::string> deviceSpecs;
    std::string stateDir;
    std::string speed = "instant";
    unsigned erasePolls = velksim::DeviceConfig{}.erasePolls;
    std::uint64_t unplugAfter = 0;
    unsigned replugAfterMs = 0;
    std::uint64_t hangAt = 0;
    std::uint64_t stallAt = 0;
    std::uint64_t shortInAt = 0;
    std::size_t shortInBytes = 0;
    std::uint64_t lateReplyAt = 0;
    unsigned lateReplyMs = 6000;
    std::string open = "ok";
    std::string report;
    std::string usbmon;
    std::string trace;
    std::string describe;
    bool dropAccess = false;
    std::vector<std::string> command;
    app.add_option("--device", deviceSpecs,
                   "A device: id=VVVV:PPPP,serial=S,port=B-P[.P],state=DIR,model=c (repeat for "
                   "more; default one 1209:0007 on port 1-2)");
    app.add_option("--state", stateDir, "State folder of the first device (rom.bin, sram.bin)");
    app.add_option("--speed", speed, "instant, or full: URBs take their full-speed wire time")
        ->check(CLI::IsMember({"instant", "full"}));
    app.add_option("--erase-polls", erasePolls, "Status polls an erase needs (as velk-sim)");
    app.add_option("--unplug-after-urbs", unplugAfter,
                   "First device: unplugged before bulk URB N+1 (ENODEV)");
    app.add_option("--replug-after-ms", replugAfterMs, "...and plugged in again after this");
    app.add_option("--hang-at-urb", hangAt, "First device: hung from bulk URB N on until reset");
    app.add_option("--stall-at-urb", stallAt, "First device: bulk URB N ends with a STALL");
    app.add_option("--short-in-at-urb", shortInAt, "First device: IN URB N is cut short");
    app.add_option("--short-in-bytes", shortInBytes, "...to this many bytes");
    app.add_option("--late-reply-at-urb", lateReplyAt,
                   "First device: IN URB N is answered late (after --late-reply-ms)");
    app.add_option("--late-reply-ms", lateReplyMs, "Delay of the late reply (default 6000)");
    app.add_option("--open", open, "ok, eacces (no permission) or ebusy (claimed elsewhere)")
        ->check(CLI::IsMember({"ok", "eacces", "ebusy"}));
    app.add_option("--usbmon", usbmon,
                   "Write the first device's URBs here as a usbmon capture (pcap) that "
                   "umockdev-run --pcap replays");
    app.add_option("--trace", trace,
                   "Append each command the first device decodes to this file, as velk-sim "
                   "--trace prints it");
    app.add_option("--describe", describe,
                   "Write the first device's sysfs entry in umockdev-record's format (what "
                   "umockdev-run --device loads)");
    app.add_option("--report", report, "After PROGRAM ends, write the URB counts here");
    app.add_flag("--as-user-without-rule", dropAccess,
                 "Run PROGRAM without root's file-permission override (for --open eacces as root)");
    app.add_option("command", command, "PROGRAM and its arguments (after --)");
    CLI11_PARSE(app, argc, argv);

    velkusb::NodeDeviceConfig defaults;
    defaults.device.erasePolls = erasePolls;
    defaults.device.speed = speed == "full" ? velksim::Speed::FullSpeed : velksim::Speed::Instant;
    std::vector<velkusb::NodeDeviceConfig> devices;
    try {
        for (const std::string& spec : deviceSpecs) {
            devices.push_back(parseDevice(spec, defaults));
        }
    } catch (const CLI::Error& e) {
        return app.exit(e);
    }
    if (devices.empty()) {
        devices.push_back(defaults);
    }
    if (!stateDir.empty()) {
        devices[0].stateDir = stateDir;
    }
    devices[0].usbmonCapture = usbmon;
    std::ofstream traceFile;
    if (!trace.empty()) {
        traceFile.open(trace, std::ios::app);
        devices[0].onCommand = [&traceFile](const velksim::CommandRecord& record) {
            traceFile << velksim::formatCommand(record) << '\n' << std::flush;
        };
    }
    velkusb::UrbFaults& faults = devices[0].faults;
    faults.unplug = trigger(unplugAfter == 0 ? 0 : unplugAfter + 1);
    if (replugAfterMs > 0) {
        faults.replugAfter = std::chrono::milliseconds(replugAfterMs);
    }
    faults.hang = trigger(hangAt);
    faults.stall = trigger(stallAt);
    faults.shortIn = trigger(shortInAt);
    faults.shortInBytes = shortInBytes;
    faults.lateReply = trigger(lateReplyAt);
    faults.lateReplyAfter = std::chrono::milliseconds(lateReplyMs);
    faults.open = open == "eacces"  ? velkusb::OpenFault::NoPermission
                  : open == "ebusy" ? velkusb::OpenFault::Busy
                                    : velkusb::OpenFault::None;

    velkusb::UsbNode node;
    try {
        for (const auto& device : devices) {
            node.add(device);
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "velk-usb-node: %s\n", e.what());
        return 1;
    }

    if (!describe.empty()) {
        std::ofstream(describe) << node.description(0);
    }
    int exitCode = 0;
    if (command.empty()) {
        std::printf("UMOCKDEV_DIR=%s\nLD_PRELOAD=%s\n", node.root().c_str(),
                    std::getenv("LD_PRELOAD"));
        for (std::size_t i = 0; i < devices.size(); ++i) {
            std::printf("%s on port %s\n", node.devNode(i).c_str(), node.port(i).c_str());
        }
        std::printf("Run programs with these two variables set; Ctrl-C unplugs.\n");
        std::fflush(stdout);
        signal(SIGINT, [](int) { g_stop = 1; });
        signal(SIGTERM, [](int) { g_stop = 1; });
        while (g_stop == 0) {
            pause();
        }
    } else {
        // Made before the fork: the child of a process with other threads may only make
        // async-signal-safe calls until it executes the program.
        std::vector<char*> args;
        for (std::string& word : command) {
            args.push_back(word.data());
        }
        args.push_back(nullptr);
        const pid_t child = fork();
        if (child == 0) {
            if (dropAccess && !velkusb::dropRootFileAccess()) {
                _exit(126);
            }
            execvp(args[0], args.data());
            _exit(127);
        }
        signal(SIGINT, SIG_IGN);  // Ctrl-C is the program's to handle
        int status = 0;
        while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
        }
        exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        for (std::size_t i = 0; i < devices.size(); ++i) {
            node.waitUntilClosed(i, std::chrono::seconds(2));
        }
    }
    if (!report.empty()) {
        writeReport(report, node, devices.size());
    }
    return exitCode;
}
