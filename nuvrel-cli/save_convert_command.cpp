// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// nuvrel-cli sram convert IN OUT --to LAYOUT: a save file in another layout, without a device.
#include <CLI/CLI.hpp>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "cli_failure.h"
#include "commands.h"
#include "engine/whole_file.h"
#include "printable_text.h"
#include "rom_command_support.h"
#include "save_layout_options.h"
#include "saveram/save_ram.h"

namespace nuvrel::cli {

std::vector<std::string> SaveLayoutNames(bool withDetect) {
    std::vector<std::string> names;
    if (withDetect) {
        names.emplace_back(kDetectLayout);
    }
    for (const SaveLayout layout : AllSaveLayouts()) {
        names.emplace_back(SaveLayoutName(layout));
    }
    return names;
}

std::optional<SaveLayout> NamedLayoutOption(const std::string& option) {
    return SaveLayoutFromName(option);
}

void RequireKnownLayout(const SaveLayoutDetection& detection, const char* layoutOption) {
    const auto named = [layoutOption](const std::vector<SaveLayout>& layouts) {
        std::string text;
        for (std::size_t i = 0; i < layouts.size(); ++i) {
            text += (i == 0 ? "" : i + 1 == layouts.size() ? " or " : ", ");
            text += std::string(layoutOption) + " " + std::string(SaveLayoutName(layouts[i]));
        }
        return text;
    };
    std::vector<SaveLayout> choices;
    for (const SaveLayoutChoice& choice : detection.choices) {
        choices.push_back(choice.layout);
    }
    const std::span<const SaveLayout> all = AllSaveLayouts();
    switch (detection.verdict) {
        case SaveLayoutVerdict::Known:
            return;
        case SaveLayoutVerdict::Ambiguous:
            throw CliFailure(kExitBadInput,
                             detection.text + "; name its layout: " + named(choices));
        case SaveLayoutVerdict::Unknown:
            throw CliFailure(kExitBadInput, detection.text + "; if you know its layout, name it: " +
                                                named({all.begin(), all.end()}));
        case SaveLayoutVerdict::TooLarge:
            break;
    }
    throw CliFailure(kExitBadInput, detection.text);
}

namespace {

struct ConvertOptions {
    std::string input;
    std::string output;
    std::string to;
    std::string from = kDetectLayout;
};

int RunConvert(const ConvertOptions& options) {
    RequireRegularFile(options.input);
    // Without a device the window is the largest any model has.
    const WholeFile file = ReadWholeFile(options.input, 2ull * kLargestCompactSave);
    if (file.tooLarge) {
        throw CliFailure(kExitBadInput,
                         SaveTooLargeMessage(kLargestCompactSave,
                                             static_cast<std::uint32_t>(
                                                 std::min<std::uint64_t>(file.size, 0xFFFFFFFFu))));
    }
    if (!file.read()) {
        throw CliFailure(kExitBadInput, "Can't open file: " + ShownArgument(options.input));
    }
    const std::optional<SaveLayout> named = NamedLayoutOption(options.from);
    const SaveLayoutDetection detection =
        named ? NamedSaveLayout(file.bytes, kLargestCompactSave, *named)
              : DetectSaveLayout(file.bytes, kLargestCompactSave);
    RequireKnownLayout(detection, "--from");
    const SaveLayout to = *SaveLayoutFromName(options.to);
    const std::vector<std::uint8_t> converted =
        EncodeSave(DecodeSave(file.bytes, detection.layout), to);
    const WholeFileWrite written = WriteWholeFile(options.output, converted, options.input);
    if (written != WholeFileWrite::Written) {
        throw CliFailure(kExitNotWritten, std::string(WholeFileWriteMessage(written)) + ": " +
                                              ShownArgument(options.output));
    }
    std::printf("%s: %s\n%s: %s\n", ShownArgument(options.input).c_str(),
                DescribeSave(detection.layout, detection.saveBytes).c_str(),
                ShownArgument(options.output).c_str(),
                DescribeSave(to, detection.saveBytes).c_str());
    return kExitSuccess;
}

}  // namespace

void AddSaveConvertCommand(CLI::App& sram, CommandAction& action) {
    auto options = std::make_shared<ConvertOptions>();
    CLI::App* command = sram.add_subcommand(
        "convert", "Write a save file in another layout (no device needed; the input is kept)");
    command->add_option("INPUT", options->input, "Save file to convert")->required();
    command->add_option("OUTPUT", options->output, "Save file to create")->required();
    command->add_option("--to", options->to, kSaveLayoutHelp)
        ->required()
        ->check(CLI::IsMember(SaveLayoutNames()));
    command
        ->add_option("--from", options->from,
                     "The input's layout; auto (the default) tells it from the file")
        ->check(CLI::IsMember(SaveLayoutNames(true)));
    command->callback([options, &action] { action = [options] { return RunConvert(*options); }; });
}

}  // namespace nuvrel::cli
