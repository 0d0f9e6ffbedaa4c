// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Checks of a Genesis ROM image on disk before it is programmed, and the size message of a write.
// No device access here.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "engine/size_units.h"
#include "genesis/rom_image_format.h"

namespace nuvrel {

inline constexpr const char* kNoInfo = "No info";

// What checking an image produced. Fields left empty (nullopt) mean "leave the page's field as it
// was": the page keeps its old text there.
struct ImageCheck {
    bool usable = false;                      // "Write", "Verify data", "Fast Erase" may be enabled
    std::optional<std::uint32_t> size;        // the new image size (m_inSize), 0 when unknown
    std::optional<std::string> sizeText;      // "File size:" ("%dMBit", or "No info")
    std::optional<std::string> domesticName;  // "Domestic ROM Name:" (trailing spaces removed)
    // The path names a directory, device, FIFO or socket: refused without reading from it.
    bool notRegularFile = false;
    // An SMD or byte-swapped image: size and name are those of the plain image it is converted
    // to for programming, and formatNote says so in one line.
    RomImageFormat format = RomImageFormat::Plain;
    std::string formatNote;
};

// Opens the image, measures it and reads its 48-byte domestic name at 0x120. A file that cannot be
// opened, or is not a regular file, gives usable=false and changes nothing; one whose size cannot
// be known (or that does not fit in 32 bits) gives size 0 and "No info" in both fields.
ImageCheck CheckInputImage(const std::string& path);

// "Domestic ROM Name:" for the 48 bytes at 0x120: trailing spaces removed, ended at a zero byte.
std::string DomesticNameText(std::span<const std::uint8_t> field);

// True when an image of imageSize bytes may be programmed into a device of capacity bytes.
inline bool ImageFitsDevice(std::uint32_t capacity, std::uint32_t imageSize) {
    return imageSize <= capacity;
}

// The write programs whole 512-byte blocks, the last one filled up with erased flash (0xFF): any
// image with a byte in it has a block to send.
inline bool ImageHasBlockToSend(std::uint32_t imageSize) {
    return imageSize > 0;
}
inline constexpr const char* kRomTooSmallText = "Nothing to write: the image is empty.";

// "File Size is to large for attached device!\nDevice Rom Size: %dMBit\nFile Size: %dMBit"
std::string RomTooLargeMessage(std::uint32_t capacity, std::uint32_t imageSize);

}  // namespace nuvrel
