// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "patches/patch_input.h"

#include <cctype>

namespace nuvrel {
namespace {

constexpr std::string_view kCodeAlphabet = "ABCDEFGHJKLMNPRSTVWXYZ0123456789";

}  // namespace

std::optional<std::uint32_t> ParseStrictHex(std::string_view text, std::size_t maxDigits) {
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text.remove_prefix(2);
    }
    if (text.empty() || text.size() > maxDigits) {
        return std::nullopt;
    }
    std::uint32_t value = 0;
    for (const char c : text) {
        if (std::isxdigit(static_cast<unsigned char>(c)) == 0) {
            return std::nullopt;
        }
        const int digit = std::isdigit(static_cast<unsigned char>(c)) != 0
                              ? c - '0'
                              : std::toupper(static_cast<unsigned char>(c)) - 'A' + 10;
        value = value * 16 + static_cast<std::uint32_t>(digit);
    }
    return value;
}

std::optional<std::string> NormaliseGameGenieCode(std::string_view text) {
    std::string letters;
    for (std::size_t index = 0; index < text.size(); ++index) {
        const char c = text[index];
        if (c == '-' && index == 4 && text.size() == 9) {
            continue;
        }
        letters += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    if (letters.size() != 8 || letters.find_first_not_of(kCodeAlphabet) != std::string::npos) {
        return std::nullopt;
    }
    return letters.substr(0, 4) + "-" + letters.substr(4);
}

std::optional<GameGeniePatch> ParsePatchArgument(std::string_view text) {
    const std::size_t colon = text.find(':');
    if (colon != std::string_view::npos) {
        const auto address = ParseStrictHex(text.substr(0, colon), 6);
        const auto data = ParseStrictHex(text.substr(colon + 1), 4);
        if (!address || !data) {
            return std::nullopt;
        }
        return GameGeniePatch{*address, *data};
    }
    const auto code = NormaliseGameGenieCode(text);
    if (!code) {
        return std::nullopt;
    }
    return DecodeGameGenie(code->c_str());
}

}  // namespace nuvrel
