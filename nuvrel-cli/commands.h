// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The command groups of nuvrel-cli. Each Add function registers its subcommands on the app and,
// when one of them is chosen, stores the action to run after parsing in `action`.
#pragma once

#include <functional>

namespace CLI {
class App;
}

namespace nuvrel::cli {

using CommandAction = std::function<int()>;

void AddInfoCommand(CLI::App& app, CommandAction& action);
void AddCompatCommand(CLI::App& app, CommandAction& action);
void AddGameGenieCommands(CLI::App& app, CommandAction& action);
void AddRomCommands(CLI::App& app, CommandAction& action);
// The rom subcommands, each in its own file.
void AddRomWriteCommand(CLI::App& rom, CommandAction& action);
void AddRomReadCommand(CLI::App& rom, CommandAction& action);
void AddRomVerifyCommand(CLI::App& rom, CommandAction& action);
void AddRomHeaderCommands(CLI::App& rom, CommandAction& action);
void AddRomConvertCommand(CLI::App& rom, CommandAction& action);
void AddSaveRamCommands(CLI::App& app, CommandAction& action);
// Finding devices and setting up the machine for them.
void AddDevicesCommand(CLI::App& app, CommandAction& action);
void AddUdevRuleCommand(CLI::App& app, CommandAction& action);
void AddDoctorCommand(CLI::App& app, CommandAction& action);
void AddSaveConvertCommand(CLI::App& sram, CommandAction& action);

}  // namespace nuvrel::cli
