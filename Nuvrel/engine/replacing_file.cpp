#include "engine/replacing_file.h"

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

std::atomic<unsigned> temporaryCounter{0};

std::string TemporaryNameFor(const std::string& destination, unsigned attempt) {
    const std::filesystem::path target(destination);
    // Only a prefix of the destination's name: the added characters must not push a long name
    // past the file system's limit (255 bytes on most), or a file that could be created
    // directly could not be written at all.
    constexpr std::size_t kNamePrefix = 64;
    std::string name = "." + target.filename().string().substr(0, kNamePrefix) + ".part";
#if !defined(_WIN32)
    name += std::to_string(static_cast<long>(getpid()));
#endif
    name += "-" + std::to_string(attempt);
    return (target.parent_path() / name).string();
}

}  // namespace

ReplacingFile::ReplacingFile(std::string destination) : destination_(std::move(destination)) {}

ReplacingFile::~ReplacingFile() {
    discard();
}

bool ReplacingFile::open() {
    if (destination_.empty()) {
        return false;
    }
    std::error_code error;
    if (std::filesystem::is_directory(destination_, error)) {
        return false;
    }
    for (int tries = 0; tries < 100; ++tries) {
        std::string candidate = TemporaryNameFor(destination_, temporaryCounter++);
        // "x": never reuse or follow an existing file of that name.
        file_ = std::fopen(candidate.c_str(), "wbx");
        if (file_ != nullptr) {
            temporary_ = std::move(candidate);
            return true;
        }
        if (errno != EEXIST) {
            return false;
        }
    }
    return false;
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
        std::filesystem::rename(temporary_, destination_, error);
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
        std::filesystem::remove(temporary_, error);
        temporary_.clear();
    }
}

}  // namespace nuvrel
