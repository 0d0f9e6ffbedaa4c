// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Files small enough to convert in memory (save files, ROM images): read whole, and written so
// that the destination is replaced only by a complete copy.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "engine/input_file.h"

namespace nuvrel {

struct WholeFile {
    InputFile::Status status = InputFile::Status::CannotOpen;
    bool tooLarge = false;  // larger than the limit: nothing was read
    std::uint64_t size = 0;
    std::vector<std::uint8_t> bytes;
    bool read() const { return status == InputFile::Status::Opened && !tooLarge; }
};

// The file's bytes, refused unread when it is larger than maxBytes. A short read counts as
// CannotOpen.
WholeFile ReadWholeFile(const std::string& path, std::uint64_t maxBytes);

enum class WholeFileWrite { Written, CannotCreate, NotWritable, WriteFailed, SameFile };

// Writes bytes over destination through a temporary file. Refuses to write over `source` (the
// file the bytes came from), which must never change.
WholeFileWrite WriteWholeFile(const std::string& destination, std::span<const std::uint8_t> bytes,
                              const std::string& source);

// "Can't create file!", "Can't write file!", ... for a failed WriteWholeFile.
const char* WholeFileWriteMessage(WholeFileWrite result);

}  // namespace nuvrel
