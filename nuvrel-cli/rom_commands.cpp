// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// nuvrel-cli rom: write, read, verify, header, fix-checksum.
#include <CLI/CLI.hpp>

#include "commands.h"

namespace nuvrel::cli {

void AddRomCommands(CLI::App& app, CommandAction& action) {
    CLI::App* rom = app.add_subcommand("rom", "Program, read back, verify or inspect the ROM");
    rom->require_subcommand(1);
    AddRomWriteCommand(*rom, action);
    AddRomReadCommand(*rom, action);
    AddRomVerifyCommand(*rom, action);
    AddRomHeaderCommands(*rom, action);
    AddRomConvertCommand(*rom, action);
}

}  // namespace nuvrel::cli
