// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The bytes a ROM write programs, a verify compares and a changed-sector write diffs against,
// made once from the file the user chose: an SMD or byte-swapped file converted to the plain
// image, the ticked patches applied, and the last block filled up with erased flash (0xFF) so
// that the whole image reaches the device. Every writer and comparer takes this one image, so
// the window and the command line can never program two different things for one file. Qt-free.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "genesis/rom_image_format.h"

namespace nuvrel {

// Applies patches to an image in memory. The buffer holds `length` image bytes followed by
// writable slack: a patch on the image's last byte spills its low byte there, and that byte is
// never sent.
using PatchApplier = std::function<void(std::uint8_t* image, std::uint32_t length)>;

struct PreparedRom {
    std::string sourcePath;  // the file it was made from: the device stores its name
    RomImageFormat format = RomImageFormat::Plain;
    std::string formatNote;           // one line for the user; empty for a plain image
    std::uint32_t imageSize = 0;      // the plain image's bytes, before its last block is filled up
    std::vector<std::uint8_t> bytes;  // what the device is to hold: whole 512-byte blocks

    std::uint32_t programmedSize() const { return static_cast<std::uint32_t>(bytes.size()); }
    std::span<const std::uint8_t> programmed() const { return bytes; }
    // Bytes of 0xFF added after the image to fill its last block.
    std::uint32_t filledUp() const { return programmedSize() - imageSize; }
};

enum class RomPrepareFailure {
    None,
    CannotOpen,      // missing, unreadable, or shorter than it claimed while it was read
    NotRegularFile,  // a directory, device, FIFO or socket: refused unread
    Empty,           // nothing to program
    TooLarge,        // larger than any cartridge
};

// "Can't read file!", ... for the user.
const char* RomPrepareFailureText(RomPrepareFailure failure);

// A file read whole and converted to the plain image; patches not applied yet, so that the
// caller can check patch addresses against the plain size first.
struct PlainRom {
    RomPrepareFailure failure = RomPrepareFailure::None;
    std::string sourcePath;
    RomFormatDetection format;
    std::vector<std::uint8_t> bytes;
    bool loaded() const { return failure == RomPrepareFailure::None; }
};
PlainRom LoadPlainRom(const std::string& path);

// The plain image with its patches applied (none when applyPatches is empty) and its last block
// filled up.
std::shared_ptr<const PreparedRom> FinishPreparedRom(PlainRom plain,
                                                     const PatchApplier& applyPatches);

// Both steps at once: null with `failure` set when the file cannot be used.
struct RomPreparation {
    std::shared_ptr<const PreparedRom> rom;
    RomPrepareFailure failure = RomPrepareFailure::None;
};
RomPreparation PrepareRomImage(const std::string& path, const PatchApplier& applyPatches);

}  // namespace nuvrel
