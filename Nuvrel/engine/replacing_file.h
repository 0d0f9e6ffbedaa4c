// An output file that replaces its destination only when the whole run succeeded: data goes to a
// temporary file in the destination's folder, which commit() flushes to disk and renames over the
// destination. Without a successful commit the temporary file is removed and the destination keeps
// its old content.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>

namespace nuvrel {

class ReplacingFile {
  public:
    explicit ReplacingFile(std::string destination);
    ~ReplacingFile();
    ReplacingFile(const ReplacingFile&) = delete;
    ReplacingFile& operator=(const ReplacingFile&) = delete;

    // Creates the temporary file. False when it cannot be created.
    bool open();
    bool write(const void* data, std::size_t length);
    // Flushes, closes and renames over the destination. False on any failure (full disk
    // included); the temporary file is then gone and the destination untouched.
    bool commit();

  private:
    void discard();

    std::string destination_;
    std::string temporary_;
    std::FILE* file_ = nullptr;
};

}  // namespace nuvrel
