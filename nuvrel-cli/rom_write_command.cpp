// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// nuvrel-cli rom write IMAGE: program an image, patches applied in memory.
#include <CLI/CLI.hpp>

#include <memory>

#include "commands.h"
#include "each_device.h"
#include "engine/operation_outcome.h"
#include "genesis/rom_writer.h"
#include "operation_report.h"
#include "printable_text.h"
#include "rom_command_support.h"
#include "rom_write_changed.h"

namespace nuvrel::cli {
namespace {

struct WriteOptions : ImageOptions {
    bool verify = false;
    bool fastErase = false;
    ChangedOnlyOptions changed;
};

int RunWrite(const WriteOptions& options) {
    if (options.changed.changedOnly) {
        return RunChangedWrite(options, options.verify, options.changed);
    }
    const PreparedImage prepared = PrepareImageForDevice(options);
    RomWriteRequest request;
    request.image = prepared.rom;
    request.verify = options.verify;
    request.fastErase = options.fastErase;
    return RunAndReport(512, WriteRom, request, "Can't open file: " + ShownArgument(options.image),
                        TextOutput(options.json), [&] {
                            ReportDigest(options.image, prepared.digest, prepared.dat,
                                         kStatusWriteComplete, options.json);
                        });
}

}  // namespace

void AddRomWriteCommand(CLI::App& rom, CommandAction& action) {
    auto options = std::make_shared<WriteOptions>();
    CLI::App* command = rom.add_subcommand("write", "Program a Genesis ROM image");
    AddImageOptions(*command, *options);
    command->add_flag("--verify", options->verify, "Read every block back and compare");
    CLI::Option* fastErase = command->add_flag("--fast-erase", options->fastErase,
                                               "Erase whole chips when the chips allow it");
    AddChangedOnlyOptions(*command, fastErase, options->changed);
    auto each = AddEachDeviceOptions(*command);
    command->callback([options, each, &action] {
        action = [options, each] {
            return each->wanted() ? RunOnEachDevice(*each) : RunWrite(*options);
        };
    });
}

}  // namespace nuvrel::cli
