// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// nuvrel-cli devices: the Velk devices and running velk-sim devices, and on request the other
// USB devices that have the protocol's interface, so a user can find the ID of theirs.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <memory>

#include "cli_failure.h"
#include "commands.h"
#include "device_listing.h"
#include "json_output.h"

namespace nuvrel::cli {
namespace {

struct DevicesOptions {
    bool json = false;
    bool allUsb = false;
};

nlohmann::ordered_json JsonOf(const VelkDeviceListing& device) {
    nlohmann::ordered_json entry;
    entry["name"] = device.name;
    entry["kind"] = IsVirtual(device) ? "velk-sim" : "usb";
    entry["path"] = device.path;
    if (IsVirtual(device)) {
        const std::string path = device.path;
        entry["socket"] = path.substr(path.find(':') + 1);
    } else {
        entry["usbId"] = UsbIdText(device.vendorId, device.productId);
        entry["serial"] = device.serial;
        entry["description"] = device.description;
    }
    entry["listed"] = device.listed != 0;
    entry["usable"] = device.listed != 0 && device.problem[0] == '\0';
    entry["problem"] = device.problem;
    return entry;
}

int RunDevices(const DevicesOptions& options) {
    std::uint32_t flags = VELK_LIST_TRY_OPEN;
    if (options.allUsb) {
        flags |= VELK_LIST_UNLISTED_USB;
    }
    const std::vector<VelkDeviceListing> devices = ListDevices(flags);
    if (options.json) {
        nlohmann::ordered_json list = nlohmann::ordered_json::array();
        for (const VelkDeviceListing& device : devices) {
            list.push_back(JsonOf(device));
        }
        std::printf("%s\n", JsonText(list).c_str());
        return kExitSuccess;
    }
    int velk = 0;
    for (const VelkDeviceListing& device : devices) {
        if (device.listed != 0) {
            std::printf("%s\n", DeviceLine(device, true).c_str());
            ++velk;
        }
    }
    if (velk == 0) {
        std::printf("No Velk device found\n");
    }
    bool headed = false;
    for (const VelkDeviceListing& device : devices) {
        if (device.listed == 0) {
            if (!headed) {
                std::printf(
                    "Other USB devices with one bulk IN and one bulk OUT endpoint of 64-byte "
                    "packets (add yours to an ID file, see nuvrel-cli udev-rule):\n");
                headed = true;
            }
            std::printf("%s\n", DeviceLine(device, true).c_str());
        }
    }
    return kExitSuccess;
}

}  // namespace

void AddDevicesCommand(CLI::App& app, CommandAction& action) {
    auto options = std::make_shared<DevicesOptions>();
    CLI::App* command = app.add_subcommand(
        "devices",
        "List the Velk devices and running velk-sim devices, and whether each can be used");
    command->add_flag("--json", options->json, "Print the list as JSON");
    command->add_flag("--all-usb", options->allUsb,
                      "Also list USB devices off the ID list that have the Velk interface shape "
                      "(nothing is sent to them)");
    command->callback([options, &action] { action = [options] { return RunDevices(*options); }; });
}

}  // namespace nuvrel::cli
