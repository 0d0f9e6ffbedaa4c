// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// nuvrel-cli gg encode ADDRESS DATA | gg decode CODE
#include <CLI/CLI.hpp>

#include <cstdio>
#include <memory>
#include <string>

#include "cli_failure.h"
#include "commands.h"
#include "patches/game_genie.h"
#include "patches/patch_input.h"
#include "printable_text.h"

namespace nuvrel::cli {
namespace {

struct EncodeOptions {
    std::string address;
    std::string data;
};

int RunEncode(const EncodeOptions& options) {
    const auto address = ParseStrictHex(options.address, 6);
    if (!address) {
        throw CliFailure(kExitBadInput, "Invalid address \"" + ShownArgument(options.address) +
                                            "\": expected 1 to 6 hex digits");
    }
    const auto data = ParseStrictHex(options.data, 4);
    if (!data) {
        throw CliFailure(kExitBadInput, "Invalid data \"" + ShownArgument(options.data) +
                                            "\": expected 1 to 4 hex digits");
    }
    char code[kGameGenieCodeBufferSize];
    EncodeGameGenie(*address, *data, code);
    std::printf("%s\n", code);
    return kExitSuccess;
}

int RunDecode(const std::string& text) {
    const auto code = NormaliseGameGenieCode(text);
    if (!code) {
        throw CliFailure(kExitBadInput, "Invalid Game Genie code \"" + ShownArgument(text) +
                                            "\": expected eight code letters like 1RZA-AAEA");
    }
    const GameGeniePatch patch = DecodeGameGenie(code->c_str());
    std::printf("%.6X:%.4X\n", static_cast<unsigned>(patch.address),
                static_cast<unsigned>(patch.data));
    return kExitSuccess;
}

}  // namespace

void AddGameGenieCommands(CLI::App& app, CommandAction& action) {
    CLI::App* gg = app.add_subcommand("gg", "Convert between Game Genie codes and patches");
    gg->require_subcommand(1);

    auto encode = std::make_shared<EncodeOptions>();
    CLI::App* encodeCommand =
        gg->add_subcommand("encode", "Print the Game Genie code of ADDRESS (hex) and DATA (hex)");
    encodeCommand->add_option("ADDRESS", encode->address, "Byte address in the ROM, hex")
        ->required();
    encodeCommand->add_option("DATA", encode->data, "16-bit data word, hex")->required();
    encodeCommand->callback(
        [encode, &action] { action = [encode] { return RunEncode(*encode); }; });

    auto code = std::make_shared<std::string>();
    CLI::App* decodeCommand =
        gg->add_subcommand("decode", "Print the ADDRESS:DATA patch of a Game Genie code");
    decodeCommand->add_option("CODE", *code, "Code such as 1RZA-AAEA")->required();
    decodeCommand->callback([code, &action] { action = [code] { return RunDecode(*code); }; });
}

}  // namespace nuvrel::cli
