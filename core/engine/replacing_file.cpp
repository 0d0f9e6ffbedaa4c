// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "engine/replacing_file.h"

#include <filesystem>
#include <system_error>
#include <utility>

namespace nuvrel {
namespace {

namespace fs = std::filesystem;

// The file a path finally names: symbolic links followed (a dangling one names the file it would
// create), relative link targets taken from the link's folder. Empty for a loop.
fs::path FollowLinks(fs::path path) {
    for (int hops = 0; hops < 40; ++hops) {
        std::error_code error;
        if (!fs::is_symlink(fs::symlink_status(path, error))) {
            return path;
        }
        const fs::path link = fs::read_symlink(path, error);
        if (error) {
            return {};
        }
        path = link.is_absolute() ? link : path.parent_path() / link;
    }
    return {};
}

}  // namespace

ReplacingFile::ReplacingFile(std::string destination, ScratchFile::Kind scratchKind)
    : destination_(std::move(destination)), scratchKind_(scratchKind) {}

ReplacingFile::~ReplacingFile() {
    discard();
}

ReplacingFile::OpenResult ReplacingFile::open() {
    if (destination_.empty()) {
        return OpenResult::CannotCreate;
    }
    const fs::path target = FollowLinks(destination_);
    if (target.empty()) {
        return OpenResult::NotWritable;
    }
    std::error_code error;
    const bool exists = fs::exists(fs::symlink_status(target, error));
    if (exists && !MayReplaceFile(target)) {
        return OpenResult::NotWritable;
    }
    RemoveAbandonedScratchFiles(target.parent_path());
    if (!scratch_.create(target.parent_path(), target.filename().string(), scratchKind_)) {
        return OpenResult::CannotCreate;
    }
    // The replacement keeps the old file's permission bits.
    if (exists && !scratch_.copyPermissionsOf(target)) {
        discard();
        return OpenResult::CannotCreate;
    }
    target_ = target.string();
    return OpenResult::Opened;
}

bool ReplacingFile::write(const void* data, std::size_t length) {
    std::FILE* stream = scratch_.stream();
    return stream != nullptr && std::fwrite(data, 1, length, stream) == length;
}

bool ReplacingFile::commit() {
    return !target_.empty() && scratch_.publish(target_);
}

void ReplacingFile::discard() {
    scratch_.discard();
}

}  // namespace nuvrel
