// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// JSON as nuvrel-cli prints it: indented, and ASCII only, so that no byte from a file or the
// device (control characters and DEL included) reaches the terminal unescaped.
#pragma once

#include <nlohmann/json.hpp>
#include <string>

namespace nuvrel::cli {

inline std::string JsonText(const nlohmann::ordered_json& json) {
    // Invalid UTF-8 in device texts becomes U+FFFD rather than an error.
    return json.dump(2, ' ', true, nlohmann::json::error_handler_t::replace);
}

}  // namespace nuvrel::cli
