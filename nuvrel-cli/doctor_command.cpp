// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// nuvrel-cli doctor: why a device is or is not found, one check at a time, with the fix.
#include <CLI/CLI.hpp>

#include <algorithm>
#include <cstdio>

#include "cli_failure.h"
#include "commands.h"
#include "device_listing.h"
#include "doctor_checks.h"

namespace nuvrel::cli {
namespace {

int RunDoctor() {
    DoctorInput input;
    input.devices = ListDevices(VELK_LIST_TRY_OPEN);
    std::erase_if(input.devices,
                  [](const VelkDeviceListing& device) { return device.listed == 0; });
    input.unlisted = ListDevices(VELK_LIST_UNLISTED_USB);
    std::erase_if(input.unlisted,
                  [](const VelkDeviceListing& device) { return device.listed != 0; });
    input.listedIds = ListedUsbIds();
    const DoctorReport report = RunDoctorChecks(input);
    for (const CheckResult& check : report.checks) {
        std::printf("%s  %s: %s\n", StateTag(check.state), check.title.c_str(),
                    check.found.c_str());
        if (!check.fix.empty()) {
            std::printf("      fix: %s\n", check.fix.c_str());
        }
    }
    std::printf("%s\n",
                report.deviceUsable ? "A Velk device can be used" : "No Velk device can be used");
    return report.deviceUsable ? kExitSuccess : kExitNoDevice;
}

}  // namespace

void AddDoctorCommand(CLI::App& app, CommandAction& action) {
    CLI::App* command = app.add_subcommand(
        "doctor", "Check why a Velk device is or is not found, and say how to fix it");
    command->callback([&action] { action = [] { return RunDoctor(); }; });
}

}  // namespace nuvrel::cli
