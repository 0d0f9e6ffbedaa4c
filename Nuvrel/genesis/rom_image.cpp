#include "genesis/rom_image.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <limits>
#include <system_error>

namespace nuvrel {
namespace {

constexpr long kDomesticNameOffset = 0x120;
constexpr std::size_t kDomesticNameLength = 48;

class ReadOnlyFile {
  public:
    explicit ReadOnlyFile(const std::string& path) : file_(std::fopen(path.c_str(), "rb")) {}
    ~ReadOnlyFile() {
        if (file_ != nullptr) {
            std::fclose(file_);
        }
    }
    ReadOnlyFile(const ReadOnlyFile&) = delete;
    ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;
    std::FILE* get() const { return file_; }

  private:
    std::FILE* file_;
};

// The walk back starts at the field's last character and stops at the first non-space, a zero
// byte included; the text shown then ends at its first zero byte. Spaces in front of a zero byte
// therefore stay.
std::string DomesticNameWithoutTrailingSpaces(const char* bytes, std::size_t length) {
    std::size_t end = length;
    while (end > 0 && bytes[end - 1] == ' ') {
        --end;
    }
    return std::string(bytes, strnlen(bytes, end));
}

}  // namespace

ImageCheck CheckInputImage(const std::string& path) {
    ImageCheck check;
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) {
        return check;
    }
    ReadOnlyFile file(path);
    if (file.get() == nullptr) {
        return check;
    }

    const auto measured = std::filesystem::file_size(path, error);
    if (error || measured > std::numeric_limits<std::uint32_t>::max()) {
        // A size that does not fit the 32-bit image size would be programmed truncated.
        check.size = 0;
        check.sizeText = kNoInfo;
        check.domesticName = kNoInfo;
        return check;
    }
    const auto size = static_cast<std::uint32_t>(measured);
    check.size = size;
    check.sizeText = FileSizeMBitText(size);

    if (std::fseek(file.get(), kDomesticNameOffset, SEEK_SET) != 0) {
        return check;
    }
    char name[kDomesticNameLength] = {};
    const std::size_t got = std::fread(name, 1, sizeof name, file.get());
    if (std::ferror(file.get()) != 0) {
        return check;
    }
    // An image shorter than the name field shows what it has there (nothing below 0x120).
    check.domesticName = DomesticNameWithoutTrailingSpaces(name, got);
    check.usable = true;
    return check;
}

std::string RomTooLargeMessage(std::uint32_t capacity, std::uint32_t imageSize) {
    char text[160];
    std::snprintf(text, sizeof text,
                  "File Size is to large for attached device!\nDevice Rom Size: %dMBit\nFile "
                  "Size: %dMBit",
                  static_cast<int>(MBitRoundedDown(capacity)),
                  static_cast<int>(MBitRoundedUp(imageSize)));
    return text;
}

}  // namespace nuvrel
