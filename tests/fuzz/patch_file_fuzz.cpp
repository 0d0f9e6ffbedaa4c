// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// LoadPatchFile on any file content (through a regular file, as the page and the CLI read one),
// and a loaded list must save and load back to the same rows.
#include <stdlib.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "patches/patch_file.h"

namespace {

constexpr std::uint32_t kRomSize = 0x400001;  // the largest device

// One scratch folder for the whole run, removed at exit.
const std::filesystem::path& scratchFolder() {
    static const std::filesystem::path folder = [] {
        std::string pattern = (std::filesystem::temp_directory_path() / "nuvrel-fuzz-XXXXXX");
        if (::mkdtemp(pattern.data()) == nullptr) {
            std::abort();
        }
        std::atexit([] { std::filesystem::remove_all(scratchFolder()); });
        return std::filesystem::path(pattern);
    }();
    return folder;
}

void writeFile(const std::filesystem::path& path, const std::uint8_t* data, std::size_t size) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr || std::fwrite(data, 1, size, file) != size || std::fclose(file) != 0) {
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::filesystem::path input = scratchFolder() / "input.txt";
    writeFile(input, data, size);
    nuvrel::PatchList list;
    const nuvrel::PatchFileResult result = nuvrel::LoadPatchFile(input, kRomSize, list);
    if (result != nuvrel::PatchFileResult::Ok) {
        if (!list.empty()) {
            std::abort();  // a failed load leaves no rows behind
        }
        return 0;
    }
    for (const nuvrel::PatchRow& row : list.rows()) {
        if (row.checked || row.parsedAddress() >= kRomSize || row.code.size() != 9) {
            std::abort();
        }
    }
    const std::filesystem::path saved = scratchFolder() / "saved.txt";
    nuvrel::PatchList again;
    if (nuvrel::SavePatchFile(saved, list) != nuvrel::PatchFileResult::Ok ||
        nuvrel::LoadPatchFile(saved, kRomSize, again) != nuvrel::PatchFileResult::Ok ||
        !(again == list)) {
        std::abort();
    }
    return 0;
}
