// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// nuvrel-cli rom convert IN OUT: the plain .bin of an SMD or byte-swapped image.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <memory>

#include "cli_failure.h"
#include "commands.h"
#include "engine/whole_file.h"
#include "genesis/rom_image_format.h"
#include "printable_text.h"
#include "rom_command_support.h"

namespace nuvrel::cli {
namespace {

// Larger than any cartridge the device takes, with room for an SMD header.
constexpr std::uint64_t kLargestImage = 64ull * 1024 * 1024;

struct ConvertOptions {
    std::string input;
    std::string output;
};

int RunConvert(const ConvertOptions& options) {
    RequireRegularFile(options.input);
    const WholeFile file = ReadWholeFile(options.input, kLargestImage);
    if (!file.read()) {
        throw CliFailure(kExitBadInput, "Can't open image file: " + ShownArgument(options.input));
    }
    const RomFormatDetection format = DetectRomImageFormat(file.bytes);
    if (format.format == RomImageFormat::Plain) {
        // Nothing to convert: a copy would only hide that the image was already plain.
        throw CliFailure(kExitBadInput,
                         "Not an SMD or byte-swapped image (no \"SEGA\" header "
                         "found in either layout): " +
                             ShownArgument(options.input));
    }
    const WholeFileWrite written =
        WriteWholeFile(options.output, ToPlainImage(file.bytes, format.format), options.input);
    if (written != WholeFileWrite::Written) {
        throw CliFailure(kExitNotWritten, std::string(WholeFileWriteMessage(written)) + ": " +
                                              ShownArgument(options.output));
    }
    std::printf("%s: %s\n%s: plain image, %u bytes\n", ShownArgument(options.input).c_str(),
                format.note.c_str(), ShownArgument(options.output).c_str(), format.plainSize);
    return kExitSuccess;
}

}  // namespace

void AddRomConvertCommand(CLI::App& rom, CommandAction& action) {
    auto options = std::make_shared<ConvertOptions>();
    CLI::App* command = rom.add_subcommand(
        "convert", "Write the plain .bin of an SMD or byte-swapped image (the input is kept)");
    command->add_option("INPUT", options->input, "SMD or byte-swapped image")->required();
    command->add_option("OUTPUT", options->output, "Plain image to create")->required();
    command->callback([options, &action] { action = [options] { return RunConvert(*options); }; });
}

}  // namespace nuvrel::cli
