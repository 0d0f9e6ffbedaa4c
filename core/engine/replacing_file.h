// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// An output file that replaces its destination only when the whole run succeeded: data goes to a
// temporary file, created exclusively under a unique name in the folder of the real target, which
// commit() flushes to disk and renames over the target. Without a successful commit the temporary
// file is removed and the destination keeps its old content.
//
// A destination that is a symbolic link is written through: the link's target is replaced and the
// link stays. An existing destination keeps its permission bits. One that this user does not own
// or whose owner may not write it (a read-only file) is refused rather than silently replaced, as
// is one that is not a regular file.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>

namespace nuvrel {

class ReplacingFile {
  public:
    enum class OpenResult {
        Opened,
        CannotCreate,  // no temporary file could be made in the target's folder
        NotWritable,   // the existing target may not be replaced (see above)
    };

    explicit ReplacingFile(std::string destination);
    ~ReplacingFile();
    ReplacingFile(const ReplacingFile&) = delete;
    ReplacingFile& operator=(const ReplacingFile&) = delete;

    // Checks the target and creates the temporary file.
    OpenResult open();
    bool write(const void* data, std::size_t length);
    // Flushes, closes and renames over the target. False on any failure (full disk included);
    // the temporary file is then gone and the destination untouched.
    bool commit();

  private:
    void discard();

    std::string destination_;
    std::string target_;
    std::string temporary_;
    std::FILE* file_ = nullptr;
};

}  // namespace nuvrel
