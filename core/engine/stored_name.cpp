// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "engine/stored_name.h"

#include <algorithm>
#include <cstring>

namespace nuvrel {

std::string MakeStoredName(std::string_view path) {
    const std::size_t slash = path.find_last_of("/\\");
    const std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    if (name.size() <= 63) {
        return std::string(name);
    }
    std::string shortName(name.substr(0, 6));
    shortName += "~1";
    shortName += path.substr(path.size() - 4);
    return shortName;
}

std::string ShownStoredName(std::string_view text) {
    const bool blank = !text.empty() && text.find_first_not_of(' ') == std::string_view::npos;
    return blank ? std::string(kNoStoredNameText) : std::string(text);
}

std::optional<StoredName> ReadStoredName(DeviceHandle device, std::uint8_t slot) {
    char buffer[VELK_FILE_NAME_SIZE] = {};
    if (ReadFileName(device, buffer, slot) == 0) {
        return std::nullopt;
    }
    const std::size_t length = strnlen(buffer, sizeof buffer);
    return StoredName{std::string(buffer, length), length < sizeof buffer};
}

bool StoreName(DeviceHandle device, std::uint8_t slot, std::string_view name) {
    // WriteFileName ends the name at the buffer's 64th byte and may change the buffer.
    char buffer[VELK_FILE_NAME_SIZE] = {};
    std::memcpy(buffer, name.data(), std::min<std::size_t>(name.size(), sizeof buffer - 1));
    return WriteFileName(device, buffer, slot) != 0;
}

}  // namespace nuvrel
