#include "patches/patch_file.h"

#include <cstdio>
#include <cstring>
#include <memory>

#include "patches/game_genie.h"
#include "patches/hex_text.h"
#include "patches/patch_messages.h"

namespace nuvrel {
namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

File OpenFile(const std::filesystem::path& path, const char* mode) {
    return File(std::fopen(path.string().c_str(), mode));
}

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
            return patch_messages::kCannotRead;
        case PatchFileResult::WrongFormat:
            return patch_messages::kWrongFormat;
    }
    return {};
}

namespace {

// Binary mode, so the CR LF written here is what ends up on disk on every platform.
bool WriteRows(const std::filesystem::path& path, const PatchList& list) {
    File file = OpenFile(path, "wb");
    if (!file) {
        return false;
    }
    for (const PatchRow& row : list.rows()) {
        if (std::fprintf(file.get(), "%s:%s\r\n", row.address.c_str(), row.data.c_str()) < 0) {
            return false;
        }
    }
    // A full disk shows up only when the buffered data is flushed.
    return std::fclose(file.release()) == 0;
}

}  // namespace

PatchFileResult SavePatchFile(const std::filesystem::path& path, const PatchList& list) {
    // The rows go to a file beside the destination that replaces it only once complete, so a
    // failed save (a full disk) never leaves a half-written list where a good one was.
    std::filesystem::path partial = path;
    partial += ".saving";
    if (WriteRows(partial, list)) {
        std::error_code error;
        std::filesystem::rename(partial, path, error);
        if (!error) {
            return PatchFileResult::Ok;
        }
    }
    std::error_code ignored;
    const bool partialExisted = std::filesystem::remove(partial, ignored);
    if (partialExisted) {
        return PatchFileResult::CannotWrite;
    }
    // The folder does not take new files, but the destination itself may still be writable.
    return WriteRows(path, list) ? PatchFileResult::Ok : PatchFileResult::CannotWrite;
}

PatchFileResult LoadPatchFile(const std::filesystem::path& path, std::uint32_t romSize,
                              PatchList& list) {
    File file = OpenFile(path, "rb");
    if (!file) {
        return PatchFileResult::CannotRead;
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
