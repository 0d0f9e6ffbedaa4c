// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later
//
// The operating-system side of a file that replaces another only once it is complete: where the
// file system allows, the data goes to a file without a name, so a process killed half way leaves
// nothing behind; elsewhere to a hidden file whose name says which process owns it, so a later
// run into the same folder can remove it once that process is gone. Publishing syncs the data,
// puts it in place in one rename and syncs the folder, so a published file survives a power loss.
#pragma once

#include <cstdio>
#include <filesystem>
#include <string>

namespace nuvrel {

class ScratchFile {
  public:
    enum class Kind {
        Unnamed,  // invisible until published, gone by itself when its owner ends
        Named,    // a hidden name that marks its owner
    };

    ScratchFile() = default;
    ~ScratchFile();
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;

    // Creates the file in folder, of the first kind the folder's file system supports from
    // `preferred` on (an unnamed one falls back to a named one). nameHint is the name of the file
    // it will replace; a named scratch file starts with it. False when nothing could be created.
    bool create(const std::filesystem::path& folder, const std::string& nameHint,
                Kind preferred = Kind::Unnamed);
    Kind kind() const { return named_.empty() ? Kind::Unnamed : Kind::Named; }
    // Buffered output; null before create() or after publish() and discard().
    std::FILE* stream() const { return stream_; }
    // The permission bits of an existing file for the replacement.
    bool copyPermissionsOf(const std::filesystem::path& original);
    // Flushes and syncs the data, renames the file over target (in the same folder) and syncs
    // the folder. False on any failure; the scratch file is then gone.
    bool publish(const std::filesystem::path& target);
    // Closes and removes the file; nothing of it is left.
    void discard();

  private:
    bool createUnnamed();
    bool createNamed();
    bool giveName();

    std::filesystem::path folder_;
    std::string nameHint_;
    std::string named_;  // the named kind's path
    std::FILE* stream_ = nullptr;
};

// Removes the named scratch files in folder whose owner process has ended (and leftovers under
// the older ".NAME.partPID-N" names): this user's regular files only, never a live process's.
void RemoveAbandonedScratchFiles(const std::filesystem::path& folder);

// Whether an existing file may be replaced: a regular file this user owns and may write.
// Renaming over it would otherwise take over another user's file or undo a read-only mark,
// which the permission bits forbid even where the file system would allow it (for root).
bool MayReplaceFile(const std::filesystem::path& target);

}  // namespace nuvrel
