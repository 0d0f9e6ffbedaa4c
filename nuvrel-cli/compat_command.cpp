// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// nuvrel-cli compat [--set NAME]: the compatibility set of the Brivo model.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "cli_failure.h"
#include "commands.h"
#include "device_access.h"
#include "devinfo/compatibility_sets.h"
#include "engine/status_text.h"
#include "printable_text.h"

namespace nuvrel::cli {
namespace {

std::string Caption(std::uint8_t code) {
    const CompatibilitySet* set = FindCompatibilitySet(code);
    return set != nullptr ? std::string(set->caption) : std::string("none selected");
}

void RequireBrivo() {
    if (!BrivoAttached()) {
        OpenDevice probe;  // throws when there is no device at all
        throw CliFailure(kExitFailed,
                         "Compatibility sets exist only on the Brivo model (model letter c)");
    }
}

int Run(const std::string& wanted) {
    const CompatibilitySet* set = nullptr;
    if (!wanted.empty()) {
        set = FindCompatibilitySet(wanted);
        if (set == nullptr) {
            throw CliFailure(kExitBadInput, "Unknown compatibility set \"" + ShownArgument(wanted) +
                                                "\": use 16Velk+US, 32Velk+U or 32Velk+UF");
        }
    }
    RequireBrivo();
    OpenDevice device;
    if (set != nullptr && !StoreCompatibilitySet(device.session(), set->code)) {
        throw CliFailure(kExitNoAnswer, NoAnswerAt(device_step::kCompatibilitySet).status);
    }
    // The store command returns nothing useful, so the set is read back to know it took.
    const std::optional<std::uint8_t> stored = QueryCompatibilitySet(device.session());
    if (!stored) {
        throw CliFailure(kExitNoAnswer, NoAnswerAt(device_step::kCompatibilitySet).status);
    }
    if (set == nullptr) {
        std::printf("%s\n", Caption(*stored).c_str());
        return kExitSuccess;
    }
    if (*stored != set->code) {
        throw CliFailure(kExitFailed, "The device did not store the " + Caption(set->code));
    }
    std::printf("Stored: %s\n", Caption(set->code).c_str());
    return kExitSuccess;
}

}  // namespace

void AddCompatCommand(CLI::App& app, CommandAction& action) {
    auto wanted = std::make_shared<std::string>();
    CLI::App* compat =
        app.add_subcommand("compat", "Show or store the compatibility set (Brivo model only)");
    std::vector<std::string> names;
    for (const CompatibilitySet& set : kCompatibilitySets) {
        names.emplace_back(set.name);
    }
    compat->add_option("--set", *wanted, "Set to store: 16Velk+US, 32Velk+U or 32Velk+UF")
        ->check(CLI::IsMember(names));
    AddDeviceOption(*compat);
    compat->callback([wanted, &action] { action = [wanted] { return Run(*wanted); }; });
}

}  // namespace nuvrel::cli
