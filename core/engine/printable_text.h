// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later
//
// Texts that come from files or the device may hold any byte: control characters would drive a
// terminal, and bytes that are not text (erased flash reads as 0xFF) mean nothing to a reader.
#pragma once

#include <string>
#include <string_view>

namespace nuvrel {

// Device and header texts shown as plain text: control characters and bytes above 0x7E as dots.
inline std::string Printable(std::string_view text) {
    std::string shown(text);
    for (char& c : shown) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte >= 0x7F) {
            c = '.';
        }
    }
    return shown;
}

}  // namespace nuvrel
