// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// nuvrel-cli udev-rule: the udev rule for the built-in IDs, the ID files' and the ones given,
// ready for /etc/udev/rules.d.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <memory>
#include <regex>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "cli_failure.h"
#include "commands.h"
#include "device_listing.h"
#include "printable_text.h"

namespace nuvrel::cli {
namespace {

using IdPair = std::pair<std::uint16_t, std::uint16_t>;

IdPair ParseId(const std::string& text) {
    static const std::regex kId("([0-9A-Fa-f]{4}):([0-9A-Fa-f]{4})");
    std::smatch match;
    if (!std::regex_match(text, match, kId)) {
        throw CliFailure(kExitBadInput, "nuvrel-cli udev-rule: " + ShownArgument(text) +
                                            " is not a USB ID VVVV:PPPP (hexadecimal)");
    }
    return {static_cast<std::uint16_t>(std::stoul(match[1], nullptr, 16)),
            static_cast<std::uint16_t>(std::stoul(match[2], nullptr, 16))};
}

int RunUdevRule(const std::vector<std::string>& extra) {
    std::vector<IdPair> ids = ListedUsbIds();
    for (const std::string& text : extra) {
        ids.push_back(ParseId(text));
    }
    std::printf(
        "# Velk series cartridge loaders: let the user at the seat open the device (no "
        "MODE=0666) and keep\n"
        "# ModemManager from probing it. Save as /etc/udev/rules.d/70-velk-series.rules, run\n"
        "# \"sudo udevadm control --reload\" and plug the device in again.\n");
    std::set<IdPair> printed;
    for (const IdPair& id : ids) {
        if (!printed.insert(id).second) {
            continue;
        }
        const std::string text = UsbIdText(id.first, id.second);
        std::printf(
            "SUBSYSTEM==\"usb\", ENV{DEVTYPE}==\"usb_device\", ATTR{idVendor}==\"%s\", "
            "ATTR{idProduct}==\"%s\", TAG+=\"uaccess\", ENV{ID_MM_DEVICE_IGNORE}=\"1\"\n",
            text.substr(0, 4).c_str(), text.substr(5).c_str());
    }
    return kExitSuccess;
}

}  // namespace

void AddUdevRuleCommand(CLI::App& app, CommandAction& action) {
    auto extra = std::make_shared<std::vector<std::string>>();
    CLI::App* command = app.add_subcommand(
        "udev-rule", "Print the udev rule for the built-in USB IDs, the ID files' and VVVV:PPPP");
    command->add_option("VVVV:PPPP", *extra, "Further USB IDs to cover");
    command->callback([extra, &action] { action = [extra] { return RunUdevRule(*extra); }; });
}

}  // namespace nuvrel::cli
