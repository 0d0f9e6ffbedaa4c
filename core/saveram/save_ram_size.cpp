// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include <cstdio>

#include "engine/size_units.h"
#include "saveram/save_ram.h"

namespace nuvrel {

std::string SaveTooLargeMessage(std::uint32_t ramSize, std::uint32_t fileSize) {
    char text[160];
    std::snprintf(text, sizeof text,
                  "File Size is to large for attached device!\nDevice Rom Size: %dKbytes\nFile "
                  "Size: %dKbytes",
                  static_cast<int>(ramSize / kBytesPerKilobyte),
                  static_cast<int>(KilobytesRoundedUp(fileSize)));
    return text;
}

std::string SavePartialBlockMessage(std::uint64_t windowBytes) {
    char text[160];
    std::snprintf(text, sizeof text,
                  "Can't write this save file: its last %u bytes do not fill a 256-byte block of "
                  "the save RAM, and nothing says what the rest of that block holds",
                  static_cast<unsigned>(windowBytes % 256));
    return text;
}

}  // namespace nuvrel
