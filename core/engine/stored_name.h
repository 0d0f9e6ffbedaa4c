// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Names kept in the device's 64-byte file-name slots: slot 0 holds the name of the programmed ROM
// image, slot 2 the name of the save file written last. One rule for making, reading and storing
// them, shared by every operation and page.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include <velk_series/velk_series.h>

namespace nuvrel {

// The name kept for an image or save file: the part of the path after its last '/' or '\'; a
// name longer than 63 characters becomes its first 6 characters, "~1" and the last 4 characters
// of the path (normally the extension), 12 characters in all.
std::string MakeStoredName(std::string_view path);

// What a slot holds: its text up to the first zero byte, at most the slot's 64 bytes.
struct StoredName {
    std::string text;
    // False when all 64 bytes are characters: the slot holds no terminated name.
    bool terminated = true;

    // The name as a suggested file name: a name without its terminator within the slot is not
    // trusted as one and gives an empty suggestion.
    std::string fileName() const { return terminated ? text : std::string(); }
};

// Reads a slot of an open device; nullopt when the read failed.
std::optional<StoredName> ReadStoredName(DeviceHandle device, std::uint8_t slot);

// Stores a name in a slot of an open device; the library cuts it to 63 characters. False when
// the transfer failed.
bool StoreName(DeviceHandle device, std::uint8_t slot, std::string_view name);

// What a ROM or save write leaves in its slot from before it changes anything until it completed,
// so that the device never carries the name of a file it does not fully hold.
inline constexpr std::string_view kFailedWriteName = " ";

// Shown for a slot that holds only spaces.
inline constexpr const char* kNoStoredNameText =
    "no name (the last write did not complete or the memory was cleared)";

// A slot's text as shown to the user: kNoStoredNameText for a blank name, the text otherwise.
std::string ShownStoredName(std::string_view text);

}  // namespace nuvrel
