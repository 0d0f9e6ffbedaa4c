// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Patch files: one "ADDRESS:DATA" line per row in list order, CR LF line ends on every platform so
// files move between systems. Check states and codes are not stored; loading rebuilds the codes.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string_view>

#include "patches/patch_list.h"

namespace nuvrel {

// NotRegularFile: a directory, device, FIFO or socket, refused before reading (its message is
// the one of CannotRead).
enum class PatchFileResult { Ok, CannotWrite, CannotRead, NotRegularFile, WrongFormat };

// The message to show for a failed result; empty for Ok.
std::string_view PatchFileMessage(PatchFileResult result);

// Writes every row to a new file that then replaces the destination (a symbolic link is written
// through, an existing file keeps its permission bits); the destination is untouched on failure.
PatchFileResult SavePatchFile(const std::filesystem::path& path, const PatchList& list);

// Replaces the list with the file's rows (unchecked, codes rebuilt from address and data). Lines
// whose address lies outside 0 ... romSize - 1 are skipped silently. A line without ":" (an empty
// line included) empties the list and gives WrongFormat. When the file cannot be opened the list
// is left as it was.
PatchFileResult LoadPatchFile(const std::filesystem::path& path, std::uint32_t romSize,
                              PatchList& list);

}  // namespace nuvrel
