// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "printable_text.h"

#include <cstdint>
#include <cstdio>
#include <vector>

namespace nuvrel::cli {
namespace {

// Characters kept from the start of a shortened text; the rest of the room goes to its end.
constexpr std::size_t kHead = 40;

std::string Escaped(unsigned char byte) {
    char text[8];
    std::snprintf(text, sizeof text, "\\x%02X", byte);
    return text;
}

// Length of the well-formed UTF-8 sequence of a printable character at text[at], or 0.
std::size_t PrintableSequence(std::string_view text, std::size_t at) {
    const auto lead = static_cast<unsigned char>(text[at]);
    if (lead >= 0x20 && lead < 0x7F) {
        return 1;
    }
    std::size_t length = 0;
    std::uint32_t code = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        code = lead & 0x1Fu;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        code = lead & 0x0Fu;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        code = lead & 0x07u;
    } else {
        return 0;
    }
    if (at + length > text.size()) {
        return 0;
    }
    for (std::size_t i = 1; i < length; ++i) {
        const auto next = static_cast<unsigned char>(text[at + i]);
        if ((next & 0xC0u) != 0x80u) {
            return 0;
        }
        code = (code << 6) | (next & 0x3Fu);
    }
    const bool overlong = (length == 3 && code < 0x800) || (length == 4 && code < 0x10000);
    const bool invalid = code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF);
    const bool c1Control = code >= 0x80 && code <= 0x9F;
    return overlong || invalid || c1Control ? 0 : length;
}

// The text as shown, one piece per character: an escape or a whole UTF-8 sequence.
std::vector<std::string> ShownPieces(std::string_view text) {
    std::vector<std::string> pieces;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t length = PrintableSequence(text, at);
        if (length == 0) {
            pieces.push_back(Escaped(static_cast<unsigned char>(text[at])));
            ++at;
        } else {
            pieces.emplace_back(text.substr(at, length));
            at += length;
        }
    }
    return pieces;
}

std::string Joined(const std::vector<std::string>& pieces, std::size_t from, std::size_t to) {
    std::string joined;
    for (std::size_t i = from; i < to; ++i) {
        joined += pieces[i];
    }
    return joined;
}

}  // namespace

std::string ShownArgument(std::string_view text, std::size_t longest) {
    const std::vector<std::string> pieces = ShownPieces(text);
    if (pieces.size() <= longest || longest < 2 * kHead) {
        return Joined(pieces, 0, pieces.size());
    }
    // Cut whole pieces only, so no escape or character is split.
    return Joined(pieces, 0, kHead) + "..." +
           Joined(pieces, pieces.size() - (longest - kHead - 3), pieces.size());
}

}  // namespace nuvrel::cli
