#include <cstdio>

#include "saveram/save_ram.h"

namespace nuvrel {

std::string SaveTooLargeMessage(std::uint32_t ramSize, std::uint32_t fileSize) {
    const std::uint32_t fileKilobytes = fileSize / 1024 + (fileSize % 1024 != 0 ? 1u : 0u);
    char text[160];
    std::snprintf(text, sizeof text,
                  "File Size is to large for attached device!\nDevice Rom Size: %dKbytes\nFile "
                  "Size: %dKbytes",
                  static_cast<int>(ramSize / 1024), static_cast<int>(fileKilobytes));
    return text;
}

}  // namespace nuvrel
