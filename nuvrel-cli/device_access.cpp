// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "device_access.h"

#include <CLI/CLI.hpp>

#include <cstdio>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "cli_failure.h"
#include "device_listing.h"
#include "engine/open_refusal.h"
#include "printable_text.h"

namespace nuvrel::cli {
namespace {

// Begun with the run: the latest refused open of the run gives the reason.
const OpenRefusalWatch& RunRefusals() {
    static const OpenRefusalWatch watch;
    return watch;
}

struct DeviceCommand {
    CLI::App* command = nullptr;
    CLI::Option* option = nullptr;
    bool optionalValue = false;
};

struct DeviceChoice {
    std::string selector;
    std::vector<DeviceCommand> commands;
    std::vector<CLI::Option*> skippers;
};

DeviceChoice& Choice() {
    static DeviceChoice choice;
    return choice;
}

bool DeviceCommandChosen() {
    for (const CLI::Option* option : Choice().skippers) {
        if (option->count() > 0) {
            return false;
        }
    }
    for (const DeviceCommand& entry : Choice().commands) {
        if (entry.command->parsed() && (!entry.optionalValue || entry.option->count() > 0)) {
            return true;
        }
    }
    return false;
}

CliFailure RefusalWithList(const std::vector<VelkDeviceListing>& devices,
                           const std::string& message) {
    for (const VelkDeviceListing& device : devices) {
        std::fprintf(stderr, "  %s\n", DeviceLine(device, false).c_str());
    }
    return CliFailure(kExitNoDevice, message);
}

std::string OneLine(std::string text) {
    for (char& c : text) {
        if (c == '\n' || c == '\r') {
            c = ' ';
        }
    }
    return text;
}

void VELK_CALL PrintLibraryMessage(void* /*context*/, const char* caption, const char* text,
                                   int icon) {
    // Printed once, as the command's own error, where it would have said "Device Not Detected!".
    if (noteIfOpenRefusal(icon, text)) {
        return;
    }
    const std::string line = OneLine(text != nullptr ? text : "");
    if (caption != nullptr && caption[0] != '\0') {
        std::fprintf(stderr, "%s: %s\n", caption, line.c_str());
    } else {
        std::fprintf(stderr, "%s\n", line.c_str());
    }
}

}  // namespace

void InstallLibraryMessageHandler() {
    RunRefusals();
    SetVelkMessageHandler(&PrintLibraryMessage, nullptr);
}

CLI::Option* AddDeviceOption(CLI::App& command, const std::string& help, bool optionalValue) {
    CLI::Option* option = command.add_option(
        "--device", Choice().selector,
        help.empty() ? "The device to use when several are attached: a USB path (1-4.2), "
                       "VVVV:PPPP, a serial number or sim:NAME (see nuvrel-cli devices)"
                     : help);
    if (optionalValue) {
        option->expected(0, 1);
    }
    Choice().commands.push_back({&command, option, optionalValue});
    return option;
}

void SkipDeviceChoiceWith(CLI::Option* option) {
    Choice().skippers.push_back(option);
}

void ChooseDeviceForCommand() {
    if (!DeviceCommandChosen()) {
        return;
    }
    const std::string& selector = Choice().selector;
    std::vector<VelkDeviceListing> devices = ListDevices(0);
    std::erase_if(devices, [](const VelkDeviceListing& device) { return device.listed == 0; });
    if (selector.empty()) {
        if (devices.size() > 1) {
            std::fprintf(stderr, "Velk devices attached:\n");
            throw RefusalWithList(devices,
                                  "More than one Velk device is attached: choose one "
                                  "with --device (a name from the list above)");
        }
        if (devices.size() == 1) {
            // The run stays on this device even if another is plugged in meanwhile.
            SelectVelkDevice(devices.front().path);
        }
        return;
    }
    const std::uint32_t matches = SelectVelkDevice(selector.c_str());
    if (matches == 1) {
        return;
    }
    if (!devices.empty()) {
        std::fprintf(stderr, "Velk devices attached:\n");
    }
    if (matches == 0) {
        throw RefusalWithList(devices,
                              "No Velk device matches --device " + ShownArgument(selector));
    }
    throw RefusalWithList(devices, "--device " + ShownArgument(selector) + " matches " +
                                       std::to_string(matches) +
                                       " devices: choose one by its name from the list above");
}

CliFailure DeviceUnavailable(const std::string& refusal) {
    const std::string reason = OneLine(refusal.empty() ? RunRefusals().reason() : refusal);
    return CliFailure(kExitNoDevice, reason.empty() ? std::string(kDeviceNotDetectedText) : reason);
}

DeviceLease HoldDeviceForOperation() {
    std::optional<DeviceLease> lease = DeviceGate::tryAcquire();
    if (!lease) {
        throw CliFailure(kExitNoDevice, kDeviceBusyText);
    }
    return std::move(*lease);
}

OpenDevice::OpenDevice() {
    if (!session_.opened()) {
        throw DeviceUnavailable(session_.refusal());
    }
}

}  // namespace nuvrel::cli
