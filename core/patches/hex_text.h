// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The patch list keeps its numbers as texts; these helpers turn them back into numbers and out
// again the way the list shows them.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace nuvrel {

// Parses like C strtol with base 16 and a 32-bit long: leading white space, an optional sign, an
// optional "0x" prefix, then hexadecimal digits up to the first other character. No digits gives
// 0; values beyond the signed 32-bit range saturate. Address checks take the result as unsigned.
std::int32_t ParseHexText(std::string_view text);

// "%.6X": upper-case hexadecimal with at least six digits.
std::string FormatPatchAddress(std::uint32_t address);
// "%.4X": upper-case hexadecimal with at least four digits.
std::string FormatPatchData(std::uint32_t data);

}  // namespace nuvrel
