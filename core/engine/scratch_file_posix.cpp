// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later
//
// Everything of the replacing file that is particular to POSIX and Linux: unnamed files
// (O_TMPFILE) linked into place, owner process ids in scratch names, folder syncs.
#include "engine/scratch_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <charconv>
#include <optional>
#include <string_view>

namespace nuvrel {
namespace {

namespace fs = std::filesystem;

std::atomic<unsigned> scratchCounter{0};

constexpr std::string_view kOwnerMark = ".nuvrel-";
constexpr std::string_view kScratchEnd = ".part";

// ".NAME.nuvrel-PID-N.part". Only a prefix of the name: the added characters must not push a
// long name past the file system's limit (255 bytes on most), or a file that could be created
// directly could not be written at all.
std::string ScratchName(const std::string& nameHint, unsigned number) {
    constexpr std::size_t kNamePrefix = 64;
    return "." + nameHint.substr(0, kNamePrefix) + std::string(kOwnerMark) +
           std::to_string(static_cast<long>(::getpid())) + "-" + std::to_string(number) +
           std::string(kScratchEnd);
}

// The digits of "PID-N" at the start of text, when that is all of it.
std::optional<pid_t> OwnerOf(std::string_view text) {
    long pid = 0;
    const auto [afterPid, pidError] = std::from_chars(text.data(), text.data() + text.size(), pid);
    if (pidError != std::errc() || pid <= 0 || afterPid == text.data() ||
        afterPid == text.data() + text.size() || *afterPid != '-') {
        return std::nullopt;
    }
    unsigned long number = 0;
    const char* const end = text.data() + text.size();
    const auto [afterNumber, numberError] = std::from_chars(afterPid + 1, end, number);
    if (numberError != std::errc() || afterNumber == afterPid + 1 || afterNumber != end) {
        return std::nullopt;
    }
    return static_cast<pid_t>(pid);
}

// The owner of a scratch name: ".NAME.nuvrel-PID-N.part", or the older ".NAME.partPID-N".
std::optional<pid_t> ScratchOwner(std::string_view name) {
    if (name.size() < 2 || name.front() != '.') {
        return std::nullopt;
    }
    if (name.ends_with(kScratchEnd)) {
        const std::string_view inner = name.substr(0, name.size() - kScratchEnd.size());
        const std::size_t mark = inner.rfind(kOwnerMark);
        if (mark != std::string_view::npos && mark > 0) {
            return OwnerOf(inner.substr(mark + kOwnerMark.size()));
        }
        return std::nullopt;
    }
    const std::size_t part = name.rfind(kScratchEnd);
    if (part == std::string_view::npos || part <= 1) {
        return std::nullopt;
    }
    return OwnerOf(name.substr(part + kScratchEnd.size()));
}

bool ProcessIsGone(pid_t pid) {
    return ::kill(pid, 0) != 0 && errno == ESRCH;
}

// A folder whose file system cannot sync folders says so with EINVAL; the rename stands there
// as well as the file system allows.
bool SyncFolder(const fs::path& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        return true;  // a folder this user may write but not read cannot be synced from here
    }
    const bool synced = ::fsync(fd) == 0 || errno == EINVAL || errno == ENOTSUP;
    ::close(fd);
    return synced;
}

fs::path FolderOrCurrent(const fs::path& folder) {
    return folder.empty() ? fs::path(".") : folder;
}

}  // namespace

ScratchFile::~ScratchFile() {
    discard();
}

bool ScratchFile::create(const fs::path& folder, const std::string& nameHint, Kind preferred) {
    discard();
    folder_ = FolderOrCurrent(folder);
    nameHint_ = nameHint;
    return (preferred == Kind::Unnamed && createUnnamed()) || createNamed();
}

bool ScratchFile::createUnnamed() {
#if defined(O_TMPFILE)
    // Publishing links the file through /proc/self/fd, or with AT_EMPTY_PATH, which only a
    // process allowed to read any file may use. Without either it could never be published.
    if (::access("/proc/self/fd", X_OK) != 0 && ::geteuid() != 0) {
        return false;
    }
    const int fd = ::open(folder_.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
    if (fd < 0) {
        return false;  // a file system without unnamed files (or a folder that takes no files)
    }
    stream_ = ::fdopen(fd, "wb");
    if (stream_ == nullptr) {
        ::close(fd);
        return false;
    }
    return true;
#else
    return false;
#endif
}

bool ScratchFile::createNamed() {
    for (int tries = 0; tries < 100; ++tries) {
        const std::string candidate = (folder_ / ScratchName(nameHint_, scratchCounter++)).string();
        // O_EXCL: never reuse or follow an existing file of that name.
        const int fd = ::open(candidate.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0666);
        if (fd < 0) {
            if (errno == EEXIST) {
                continue;
            }
            return false;
        }
        stream_ = ::fdopen(fd, "wb");
        if (stream_ == nullptr) {
            ::close(fd);
            ::unlink(candidate.c_str());
            return false;
        }
        named_ = candidate;
        return true;
    }
    return false;
}

bool ScratchFile::copyPermissionsOf(const fs::path& original) {
    struct stat info {};
    return stream_ != nullptr && ::stat(original.c_str(), &info) == 0 &&
           ::fchmod(::fileno(stream_), info.st_mode & 07777) == 0;
}

// An unnamed file gets a scratch name first: a link cannot replace an existing file, the rename
// that follows can, in one step. A process killed between the two leaves a named scratch file,
// which a later run removes.
bool ScratchFile::giveName() {
    const int fd = ::fileno(stream_);
    const std::string procPath = "/proc/self/fd/" + std::to_string(fd);
    for (int tries = 0; tries < 100; ++tries) {
        const std::string name = (folder_ / ScratchName(nameHint_, scratchCounter++)).string();
        if (::linkat(AT_FDCWD, procPath.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0) {
            named_ = name;
            return true;
        }
        if (errno == EEXIST) {
            continue;
        }
#if defined(AT_EMPTY_PATH)
        if (::linkat(fd, "", AT_FDCWD, name.c_str(), AT_EMPTY_PATH) == 0) {
            named_ = name;
            return true;
        }
        if (errno == EEXIST) {
            continue;
        }
#endif
        return false;
    }
    return false;
}

bool ScratchFile::publish(const fs::path& target) {
    if (stream_ == nullptr) {
        return false;
    }
    bool ok = std::fflush(stream_) == 0 && ::fsync(::fileno(stream_)) == 0;
    if (ok && kind() == Kind::Unnamed) {
        ok = giveName();
    }
    ok = (std::fclose(stream_) == 0) && ok;
    stream_ = nullptr;
    ok = ok && ::rename(named_.c_str(), target.c_str()) == 0;
    if (ok) {
        named_.clear();
        ok = SyncFolder(folder_);
    }
    discard();
    return ok;
}

void ScratchFile::discard() {
    if (stream_ != nullptr) {
        std::fclose(stream_);
        stream_ = nullptr;
    }
    if (!named_.empty()) {
        ::unlink(named_.c_str());
        named_.clear();
    }
}

void RemoveAbandonedScratchFiles(const fs::path& folder) {
    const fs::path where = FolderOrCurrent(folder);
    DIR* listing = ::opendir(where.c_str());
    if (listing == nullptr) {
        return;
    }
    const int folderFd = ::dirfd(listing);
    while (const dirent* entry = ::readdir(listing)) {
        const std::optional<pid_t> owner = ScratchOwner(entry->d_name);
        if (!owner || *owner == ::getpid() || !ProcessIsGone(*owner)) {
            continue;
        }
        struct stat info {};
        if (::fstatat(folderFd, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0 &&
            S_ISREG(info.st_mode) && info.st_uid == ::geteuid()) {
            ::unlinkat(folderFd, entry->d_name, 0);
        }
    }
    ::closedir(listing);
}

bool MayReplaceFile(const fs::path& target) {
    struct stat info {};
    if (::stat(target.c_str(), &info) != 0) {
        return false;
    }
    return S_ISREG(info.st_mode) && info.st_uid == ::geteuid() && (info.st_mode & S_IWUSR) != 0 &&
           ::access(target.c_str(), W_OK) == 0;
}

}  // namespace nuvrel
