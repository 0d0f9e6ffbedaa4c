// Texts that come from files or the device (header names, stored names, chip texts) may hold any
// byte. Control characters would drive the user's terminal and bytes above 0x7F (erased flash
// reads as 0xFF) are not text, so plain-text output shows both as dots. JSON output escapes them
// instead and does not need this.
#pragma once

#include <string>
#include <string_view>

namespace nuvrel::cli {

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

}  // namespace nuvrel::cli
