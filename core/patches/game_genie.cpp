// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "patches/game_genie.h"

namespace nuvrel {
namespace {

// Letters in value order; the terminating zero ends the scan.
constexpr char kAlphabet[] = "ABCDEFGHJKLMNPRSTVWXYZ0123456789";

char LetterOf(std::uint64_t value) {
    return kAlphabet[value & 31u];
}

}  // namespace

std::uint32_t GameGenieLetterValue(char letter) {
    for (std::uint32_t value = 0; kAlphabet[value] != '\0'; ++value) {
        if (kAlphabet[value] == letter) {
            return value;
        }
    }
    return 0;
}

void EncodeGameGenie(std::uint32_t address, std::uint32_t data, char* code) {
    const std::uint32_t groups[8] = {
        (address >> 12) & 0xFu, (address >> 8) & 0xFu,
        (address >> 20) & 0xFu, (address >> 16) & 0xFu,
        (data >> 9) & 0xFu,     ((data >> 13) & 7u) | (((data >> 8) & 1u) << 3),
        (address >> 4) & 0xFu,  address & 0xFu,
    };
    std::uint64_t value = data & 0xFFu;
    for (const std::uint32_t group : groups) {
        value = (value << 4) | group;
    }
    code[0] = LetterOf(value >> 35);
    code[1] = LetterOf(value >> 30);
    code[2] = LetterOf(value >> 25);
    code[3] = LetterOf(value >> 20);
    code[4] = '-';
    code[5] = LetterOf(value >> 15);
    code[6] = LetterOf(value >> 10);
    code[7] = LetterOf(value >> 5);
    code[8] = LetterOf(value);
    code[9] = '\0';
}

GameGeniePatch DecodeGameGenie(const char* code) {
    std::uint64_t value = 0;
    for (std::size_t index = 0; code[index] != '\0'; ++index) {
        if (index == 4) {
            continue;
        }
        value = (value << 5) | GameGenieLetterValue(code[index]);
    }
    GameGeniePatch patch;
    patch.address = static_cast<std::uint32_t>((((value >> 16) & 0xFFu) << 16) |
                                               (((value >> 24) & 0xFFu) << 8) | (value & 0xFFu));
    patch.data =
        static_cast<std::uint32_t>(((((value >> 7) & 0x0Eu) | ((value >> 15) & 1u)) << 12) |
                                   (((value >> 11) & 0x0Fu) << 8) | (value >> 32));
    return patch;
}

}  // namespace nuvrel
