// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "genesis/dump_trim.h"

#include <algorithm>
#include <bit>
#include <cstdio>

namespace nuvrel {

DumpTrim TrimErasedTail(std::span<const std::uint8_t> dump) {
    const auto last =
        std::find_if(dump.rbegin(), dump.rend(), [](std::uint8_t byte) { return byte != 0xFF; });
    const std::uint64_t used = static_cast<std::uint64_t>(dump.rend() - last);
    const std::uint64_t rounded = std::max<std::uint64_t>(
        std::bit_ceil(std::max<std::uint64_t>(used, 1)), kSmallestTrimmedDump);
    DumpTrim trim;
    trim.length = static_cast<std::uint32_t>(std::min<std::uint64_t>(rounded, dump.size()));
    char text[160];
    if (used == 0) {
        std::snprintf(text, sizeof text,
                      "the ROM is erased (all 0xFF); kept %u bytes, the smallest game size",
                      static_cast<unsigned>(trim.length));
    } else if (trim.length == dump.size()) {
        std::snprintf(text, sizeof text, "data runs to 0x%06llX; the whole ROM is kept",
                      static_cast<unsigned long long>(used - 1));
    } else {
        std::snprintf(text, sizeof text,
                      "data ends at 0x%06llX, the erased 0xFF blocks after it dropped (rounded up "
                      "to a power of two of at least 128 KiB)",
                      static_cast<unsigned long long>(used - 1));
    }
    trim.reason = text;
    return trim;
}

}  // namespace nuvrel
