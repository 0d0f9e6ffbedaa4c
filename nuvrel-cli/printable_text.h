// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Texts that come from files, the device or the user's arguments may hold any byte. Control
// characters would drive the user's terminal and bytes that are not text (erased flash reads as
// 0xFF) mean nothing to it. JSON output escapes them instead (json_output.h).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "engine/printable_text.h"

namespace nuvrel::cli {

// Device and header texts in plain output: control characters and bytes above 0x7E as dots.
using nuvrel::Printable;

// An argument the user gave (a path, a patch), quoted back in a message: control characters,
// DEL, C1 controls and bytes that are not UTF-8 appear as \xNN, and a text longer than
// `longest` characters is shortened in its middle, where a path is least telling.
std::string ShownArgument(std::string_view text, std::size_t longest = 120);

}  // namespace nuvrel::cli
