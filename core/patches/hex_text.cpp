// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "patches/hex_text.h"

#include <cstdio>
#include <limits>

namespace nuvrel {
namespace {

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

int DigitValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

std::string FormatHex(const char* format, std::uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, format, static_cast<unsigned>(value));
    return text;
}

}  // namespace

std::int32_t ParseHexText(std::string_view text) {
    std::size_t at = 0;
    while (at < text.size() && IsSpace(text[at])) {
        ++at;
    }
    bool negative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
        negative = text[at] == '-';
        ++at;
    }
    // "0x" counts as a prefix only when a digit follows; otherwise the "0" alone is the number.
    if (at + 2 < text.size() && text[at] == '0' && (text[at + 1] == 'x' || text[at + 1] == 'X') &&
        DigitValue(text[at + 2]) >= 0) {
        at += 2;
    }
    // Accumulate the magnitude with room for one step past the 32-bit limit.
    constexpr std::int64_t kLimit = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
    std::int64_t magnitude = 0;
    for (; at < text.size(); ++at) {
        const int digit = DigitValue(text[at]);
        if (digit < 0) {
            break;
        }
        magnitude = magnitude * 16 + digit;
        if (magnitude > kLimit) {
            magnitude = kLimit;
        }
    }
    if (negative) {
        return static_cast<std::int32_t>(-magnitude);
    }
    if (magnitude >= kLimit) {
        return std::numeric_limits<std::int32_t>::max();
    }
    return static_cast<std::int32_t>(magnitude);
}

std::string FormatPatchAddress(std::uint32_t address) {
    return FormatHex("%.6X", address);
}

std::string FormatPatchData(std::uint32_t data) {
    return FormatHex("%.4X", data);
}

}  // namespace nuvrel
