// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Strict reading of patches and codes a user types on nuvrel-cli's command line.
// The patch list itself parses its texts leniently, as its files require; typed input is checked
// so that a typo is an error, not a patch at address 0.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "patches/game_genie.h"

namespace nuvrel {

// 1 to maxDigits hexadecimal digits, optionally after "0x".
std::optional<std::uint32_t> ParseStrictHex(std::string_view text, std::size_t maxDigits);

// "XXXX-XXXX" (or the eight letters without the hyphen), letters of the code alphabet in either
// case. Returns the code in its canonical upper-case form with the hyphen.
std::optional<std::string> NormaliseGameGenieCode(std::string_view text);

// "ADDR:DATA" (6 and 4 hexadecimal digits at most) or a Game Genie code.
std::optional<GameGeniePatch> ParsePatchArgument(std::string_view text);

}  // namespace nuvrel
