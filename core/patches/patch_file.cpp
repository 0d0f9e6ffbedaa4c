// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "patches/patch_file.h"

#include <cstdio>
#include <cstring>

#include "engine/input_file.h"
#include "engine/replacing_file.h"
#include "patches/game_genie.h"
#include "patches/hex_text.h"
#include "patches/patch_messages.h"

namespace nuvrel {
namespace {

// One fgets-sized piece: at most 1023 characters up to and including the line end.
constexpr int kLineBufferSize = 1024;

}  // namespace

std::string_view PatchFileMessage(PatchFileResult result) {
    switch (result) {
        case PatchFileResult::Ok:
            return {};
        case PatchFileResult::CannotWrite:
            return patch_messages::kCannotWrite;
        case PatchFileResult::CannotRead:
        case PatchFileResult::NotRegularFile:
            return patch_messages::kCannotRead;
        case PatchFileResult::WrongFormat:
            return patch_messages::kWrongFormat;
    }
    return {};
}

PatchFileResult SavePatchFile(const std::filesystem::path& path, const PatchList& list) {
    // The rows replace the destination only once all of them are on disk, so a failed save (a
    // full disk) never leaves a half-written list where a good one was.
    ReplacingFile file(path.string());
    if (file.open() != ReplacingFile::OpenResult::Opened) {
        return PatchFileResult::CannotWrite;
    }
    for (const PatchRow& row : list.rows()) {
        // CR LF on every platform, so files move between systems.
        const std::string line = row.address + ":" + row.data + "\r\n";
        if (!file.write(line.data(), line.size())) {
            return PatchFileResult::CannotWrite;
        }
    }
    return file.commit() ? PatchFileResult::Ok : PatchFileResult::CannotWrite;
}

PatchFileResult LoadPatchFile(const std::filesystem::path& path, std::uint32_t romSize,
                              PatchList& list) {
    const InputFile file(path.string());
    if (!file.opened()) {
        return file.status() == InputFile::Status::NotRegular ? PatchFileResult::NotRegularFile
                                                              : PatchFileResult::CannotRead;
    }
    list.Clear();
    char line[kLineBufferSize];
    while (std::fgets(line, kLineBufferSize, file.get()) != nullptr) {
        if (line[0] == '\0') {
            continue;
        }
        char* colon = std::strchr(line, ':');
        if (colon == nullptr) {
            list.Clear();
            return PatchFileResult::WrongFormat;
        }
        *colon = '\0';
        const auto address = static_cast<std::uint32_t>(ParseHexText(line));
        if (!IsInRomArea(address, romSize)) {
            continue;
        }
        // The data parse stops at the CR or LF, so both line ends read the same. A negative data
        // word ("-AA4") would show as eight digits ("FFFFF55C") that read back as the saturated
        // 7FFFFFFF: row, code and applied word would disagree, and a saved list would load back
        // different. The data word is 16 bits, so a negative one keeps its low word.
        const std::int32_t parsed = ParseHexText(colon + 1);
        const std::uint32_t data = parsed < 0 ? static_cast<std::uint32_t>(parsed) & 0xFFFFu
                                              : static_cast<std::uint32_t>(parsed);
        char code[kGameGenieCodeBufferSize];
        EncodeGameGenie(address, data, code);
        list.AppendPatchRow(address, data, code);
    }
    if (std::ferror(file.get()) != 0) {
        list.Clear();
        return PatchFileResult::CannotRead;
    }
    return PatchFileResult::Ok;
}

}  // namespace nuvrel
