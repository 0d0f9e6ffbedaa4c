// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "engine/replacing_file.h"

#include <sys/stat.h>

#include <atomic>
#include <cerrno>
#include <filesystem>
#include <system_error>
#include <utility>

#if !defined(_WIN32)
#include <unistd.h>
#endif

namespace nuvrel {
namespace {

namespace fs = std::filesystem;

std::atomic<unsigned> temporaryCounter{0};

std::string TemporaryNameFor(const fs::path& target, unsigned attempt) {
    // Only a prefix of the target's name: the added characters must not push a long name past
    // the file system's limit (255 bytes on most), or a file that could be created directly
    // could not be written at all.
    constexpr std::size_t kNamePrefix = 64;
    std::string name = "." + target.filename().string().substr(0, kNamePrefix) + ".part";
#if !defined(_WIN32)
    name += std::to_string(static_cast<long>(getpid()));
#endif
    name += "-" + std::to_string(attempt);
    return (target.parent_path() / name).string();
}

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

// Whether the existing target may be replaced: a regular file this user owns and may write.
// Renaming over it would otherwise take over another user's file or undo a read-only mark,
// which the permission bits forbid even where the file system would allow it (for root).
bool MayReplace(const fs::path& target) {
#if defined(_WIN32)
    std::error_code error;
    const fs::file_status status = fs::status(target, error);
    return !error && fs::is_regular_file(status) &&
           (status.permissions() & fs::perms::owner_write) != fs::perms::none;
#else
    struct stat info {};
    if (::stat(target.c_str(), &info) != 0) {
        return false;
    }
    return S_ISREG(info.st_mode) && info.st_uid == ::geteuid() && (info.st_mode & S_IWUSR) != 0 &&
           ::access(target.c_str(), W_OK) == 0;
#endif
}

}  // namespace

ReplacingFile::ReplacingFile(std::string destination) : destination_(std::move(destination)) {}

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
    if (exists && !MayReplace(target)) {
        return OpenResult::NotWritable;
    }
    for (int tries = 0; tries < 100; ++tries) {
        std::string candidate = TemporaryNameFor(target, temporaryCounter++);
        // "x": never reuse or follow an existing file of that name.
        file_ = std::fopen(candidate.c_str(), "wbx");
        if (file_ != nullptr) {
            temporary_ = std::move(candidate);
            target_ = target.string();
            break;
        }
        if (errno != EEXIST) {
            return OpenResult::CannotCreate;
        }
    }
    if (file_ == nullptr) {
        return OpenResult::CannotCreate;
    }
    if (exists) {
        // The replacement keeps the old file's permission bits.
        fs::permissions(temporary_, fs::status(target, error).permissions(), error);
        if (error) {
            discard();
            return OpenResult::CannotCreate;
        }
    }
    return OpenResult::Opened;
}

bool ReplacingFile::write(const void* data, std::size_t length) {
    if (file_ == nullptr) {
        return false;
    }
    return std::fwrite(data, 1, length, file_) == length;
}

bool ReplacingFile::commit() {
    if (file_ == nullptr) {
        return false;
    }
    bool ok = std::fflush(file_) == 0;
#if !defined(_WIN32)
    ok = ok && fsync(fileno(file_)) == 0;
#endif
    ok = (std::fclose(file_) == 0) && ok;
    file_ = nullptr;
    if (ok) {
        std::error_code error;
        fs::rename(temporary_, target_, error);
        ok = !error;
    }
    if (ok) {
        temporary_.clear();
    }
    discard();
    return ok;
}

void ReplacingFile::discard() {
    if (file_ != nullptr) {
        std::fclose(file_);
        file_ = nullptr;
    }
    if (!temporary_.empty()) {
        std::error_code error;
        fs::remove(temporary_, error);
        temporary_.clear();
    }
}

}  // namespace nuvrel
