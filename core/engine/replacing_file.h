// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// An output file that replaces its destination only when the whole run succeeded: data goes to a
// scratch file in the folder of the real target (see scratch_file.h: nothing is left of it when
// the process is killed, or a leftover that the next run into the folder removes), which commit()
// syncs to disk and renames over the target, syncing the folder after. Without a successful
// commit the scratch file is removed and the destination keeps its old content.
//
// A destination that is a symbolic link is written through: the link's target is replaced and the
// link stays. An existing destination keeps its permission bits. One that this user does not own
// or whose owner may not write it (a read-only file) is refused rather than silently replaced, as
// is one that is not a regular file.
#pragma once

#include <cstddef>
#include <string>

#include "engine/scratch_file.h"

namespace nuvrel {

class ReplacingFile {
  public:
    enum class OpenResult {
        Opened,
        CannotCreate,  // no temporary file could be made in the target's folder
        NotWritable,   // the existing target may not be replaced (see above)
    };

    // scratchKind: the kind of scratch file tried first (see ScratchFile::create).
    explicit ReplacingFile(std::string destination,
                           ScratchFile::Kind scratchKind = ScratchFile::Kind::Unnamed);
    ~ReplacingFile();
    ReplacingFile(const ReplacingFile&) = delete;
    ReplacingFile& operator=(const ReplacingFile&) = delete;

    // Checks the target and creates the temporary file.
    OpenResult open();
    bool write(const void* data, std::size_t length);
    // Syncs, closes and renames over the target, then syncs its folder. False on any failure
    // (full disk included); the scratch file is then gone and the destination untouched, unless
    // only the folder's sync failed.
    bool commit();

  private:
    void discard();

    std::string destination_;
    ScratchFile::Kind scratchKind_;
    std::string target_;
    ScratchFile scratch_;
};

}  // namespace nuvrel
