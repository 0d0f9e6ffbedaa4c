// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// nuvrel-cli rom verify IMAGE: compare the device's ROM with an image without writing anything.
#include <CLI/CLI.hpp>

#include <memory>

#include "commands.h"
#include "genesis/rom_verifier.h"
#include "operation_report.h"
#include "printable_text.h"
#include "rom_command_support.h"

namespace nuvrel::cli {
namespace {

int RunVerify(const ImageOptions& options) {
    const PreparedImage prepared = PrepareImageForDevice(options);
    RomVerifyRequest request;
    request.image = prepared.rom;
    return RunAndReport(1024, VerifyRom, request,
                        "Can't open file: " + ShownArgument(options.image),
                        TextOutput(options.json), [&] {
                            ReportDigest(options.image, prepared.digest, prepared.dat,
                                         kStatusRomMatches, options.json);
                        });
}

}  // namespace

void AddRomVerifyCommand(CLI::App& rom, CommandAction& action) {
    auto options = std::make_shared<ImageOptions>();
    CLI::App* command = rom.add_subcommand(
        "verify", "Compare the device's ROM with an image (patches applied) without writing");
    AddImageOptions(*command, *options);
    command->callback([options, &action] { action = [options] { return RunVerify(*options); }; });
}

}  // namespace nuvrel::cli
