// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// How much of a whole-capacity dump is the game: a cartridge larger than its game reads as the
// game followed by erased flash (0xFF). Games come in powers of two of at least 128 KiB, so the
// kept length is the data's end rounded up to one; a game that happens to end in 0xFF bytes
// keeps them as long as they lie inside that length. Qt-free, no device access.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace nuvrel {

inline constexpr std::uint32_t kSmallestTrimmedDump = 128 * 1024;

struct DumpTrim {
    std::uint32_t length = 0;  // bytes to keep, never more than the dump
    std::string reason;        // one line for the user: why this length
};

DumpTrim TrimErasedTail(std::span<const std::uint8_t> dump);

}  // namespace nuvrel
