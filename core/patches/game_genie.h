// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Genesis Game Genie codes: a 24-bit byte address and a 16-bit data word written as eight letters
// in two groups of four ("1RZA-AAEA"). Both directions are pure, allocation-free functions so the
// Add Code dialog can run them on every keystroke.
#pragma once

#include <cstddef>
#include <cstdint>

namespace nuvrel {

// Nine characters and the terminator.
inline constexpr std::size_t kGameGenieCodeBufferSize = 10;

struct GameGeniePatch {
    std::uint32_t address = 0;
    std::uint32_t data = 0;
};

// Position of the character in the code alphabet, 0 to 31. The comparison is exact: lower-case
// letters, I, O, Q, U and punctuation are not in the alphabet and give 0, the value of "A".
std::uint32_t GameGenieLetterValue(char letter);

// Writes nine characters and a terminator into code (at least kGameGenieCodeBufferSize bytes).
// Address bits above 23 and data bits above 15 are ignored.
void EncodeGameGenie(std::uint32_t address, std::uint32_t data, char* code);

// Reads a terminated text, normally "XXXX-XXXX". The fifth character never contributes, whatever
// it is; every other character adds five bits, so shorter texts give partial values.
GameGeniePatch DecodeGameGenie(const char* code);

}  // namespace nuvrel
