// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "engine/whole_file.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "engine/replacing_file.h"

namespace nuvrel {

WholeFile ReadWholeFile(const std::string& path, std::uint64_t maxBytes) {
    WholeFile result;
    const InputFile file(path);
    result.status = file.status();
    if (!file.opened()) {
        return result;
    }
    result.size = file.size();
    if (file.size() > maxBytes) {
        result.tooLarge = true;
        return result;
    }
    result.bytes.resize(static_cast<std::size_t>(file.size()));
    if (std::fread(result.bytes.data(), 1, result.bytes.size(), file.get()) !=
        result.bytes.size()) {
        result.bytes.clear();
        result.status = InputFile::Status::CannotOpen;
    }
    return result;
}

WholeFileWrite WriteWholeFile(const std::string& destination, std::span<const std::uint8_t> bytes,
                              const std::string& source) {
    std::error_code error;
    if (std::filesystem::equivalent(destination, source, error) && !error) {
        return WholeFileWrite::SameFile;
    }
    ReplacingFile file(destination);
    switch (file.open()) {
        case ReplacingFile::OpenResult::Opened:
            break;
        case ReplacingFile::OpenResult::CannotCreate:
            return WholeFileWrite::CannotCreate;
        case ReplacingFile::OpenResult::NotWritable:
            return WholeFileWrite::NotWritable;
    }
    if (!file.write(bytes.data(), bytes.size()) || !file.commit()) {
        return WholeFileWrite::WriteFailed;
    }
    return WholeFileWrite::Written;
}

const char* WholeFileWriteMessage(WholeFileWrite result) {
    switch (result) {
        case WholeFileWrite::Written:
            return "";
        case WholeFileWrite::CannotCreate:
            return "Can't create file";
        case WholeFileWrite::NotWritable:
            return "The file may not be replaced";
        case WholeFileWrite::WriteFailed:
            return "Can't write file";
        case WholeFileWrite::SameFile:
            return "The output would replace the input file";
    }
    return "Can't write file";
}

}  // namespace nuvrel
