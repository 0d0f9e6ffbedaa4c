// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// nuvrel-cli: the Velk series device from the command line, over the same engines as Nuvrel.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <string>

#include "cli_failure.h"
#include "commands.h"
#include "device_access.h"
#include "nuvrel_version.h"
#include "printable_text.h"

namespace {

// Errors are one line: multi-line texts (the size messages) are joined with spaces. Whatever
// else a message quotes (the parser's errors repeat raw arguments) is escaped and bounded.
void PrintError(const std::string& message) {
    std::string line = message;
    for (char& c : line) {
        if (c == '\n') {
            c = ' ';
        }
    }
    constexpr std::size_t kLongestLine = 400;
    std::fprintf(stderr, "%s\n", nuvrel::cli::ShownArgument(line, kLongestLine).c_str());
}

}  // namespace

int main(int argc, char** argv) {
    using namespace nuvrel::cli;
    CLI::App app("Program, read and inspect Velk series cartridge storage devices", "nuvrel-cli");
    app.require_subcommand(1);
    app.set_version_flag("--version", "nuvrel-cli " NUVREL_VERSION "\n" NUVREL_VERSION_NOTICE);
    CommandAction action;
    AddInfoCommand(app, action);
    AddRomCommands(app, action);
    AddSaveRamCommands(app, action);
    AddCompatCommand(app, action);
    AddGameGenieCommands(app, action);
    AddDevicesCommand(app, action);
    AddUdevRuleCommand(app, action);
    AddDoctorCommand(app, action);

    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& help) {
        return app.exit(help);
    } catch (const CLI::CallForAllHelp& help) {
        return app.exit(help);
    } catch (const CLI::CallForVersion& version) {
        return app.exit(version);
    } catch (const CLI::ParseError& error) {
        PrintError(std::string("nuvrel-cli: ") + error.what() + " (see nuvrel-cli --help)");
        return kExitBadInput;
    }

    InstallLibraryMessageHandler();
    try {
        std::fflush(stdout);
        ChooseDeviceForCommand();
        const int code = action ? action() : static_cast<int>(kExitBadInput);
        std::fflush(stdout);
        return code;
    } catch (const CliFailure& failure) {
        std::fflush(stdout);
        PrintError(failure.what());
        return failure.code();
    } catch (const std::exception& error) {
        std::fflush(stdout);
        PrintError(std::string("nuvrel-cli: ") + error.what());
        return kExitFailed;
    }
}
