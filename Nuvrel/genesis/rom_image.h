// Checks of a Genesis ROM image on disk before it is programmed, the name the device stores for
// it, and the megabit arithmetic the ROM pages show. No device access here.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace nuvrel {

inline constexpr std::uint32_t kBytesPerMBit = 131072;

// Device capacities are shown rounded down, file sizes rounded up.
inline std::uint32_t MBitRoundedDown(std::uint32_t bytes) {
    return bytes / kBytesPerMBit;
}
inline std::uint32_t MBitRoundedUp(std::uint32_t bytes) {
    return bytes / kBytesPerMBit + (bytes % kBytesPerMBit != 0 ? 1u : 0u);
}

inline constexpr const char* kNoInfo = "No info";

// What checking an image produced. Fields left empty (nullopt) mean "leave the page's field as it
// was": the page keeps its old text there.
struct ImageCheck {
    bool usable = false;                      // "Write", "Verify data", "Fast Erase" may be enabled
    std::optional<std::uint32_t> size;        // the new image size (m_inSize), 0 when unknown
    std::optional<std::string> sizeText;      // "File size:" ("%dMBit", or "No info")
    std::optional<std::string> domesticName;  // "Domestic ROM Name:" (trailing spaces removed)
};

// Opens the image, measures it and reads its 48-byte domestic name at 0x120. A file that cannot be
// opened gives usable=false and changes nothing; one whose size cannot be known (or that does not
// fit in 32 bits) gives size 0 and "No info" in both fields.
ImageCheck CheckInputImage(const std::string& path);

// The name kept in the device's 64-byte name slot for an image or save file: the part of the path
// after its last '/' or '\'; a name longer than 63 characters becomes its first 6 characters,
// "~1" and the last 4 characters of the path (normally the extension), 12 characters in all.
std::string MakeStoredName(std::string_view path);

// True when an image of imageSize bytes may be programmed into a device of capacity bytes.
inline bool ImageFitsDevice(std::uint32_t capacity, std::uint32_t imageSize) {
    return imageSize <= capacity;
}

// "File Size is to large for attached device!\nDevice Rom Size: %dMBit\nFile Size: %dMBit"
std::string RomTooLargeMessage(std::uint32_t capacity, std::uint32_t imageSize);

// "%dMBit" with the size rounded up (disk side) or down (device side).
std::string FileSizeMBitText(std::uint32_t bytes);
std::string DeviceSizeMBitText(std::uint32_t bytes);

}  // namespace nuvrel
