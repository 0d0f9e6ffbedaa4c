#include "genesis_image.h"

#include <algorithm>
#include <fstream>
#include <iterator>

namespace clitest {
namespace {

void PutText(std::vector<std::uint8_t>& image, std::size_t offset, std::size_t length,
             const std::string& text) {
    for (std::size_t index = 0; index < length; ++index) {
        image[offset + index] = static_cast<std::uint8_t>(index < text.size() ? text[index] : ' ');
    }
}

void PutLong(std::vector<std::uint8_t>& image, std::size_t offset, std::uint32_t value) {
    for (int index = 0; index < 4; ++index) {
        image[offset + static_cast<std::size_t>(index)] =
            static_cast<std::uint8_t>(value >> (24 - 8 * index));
    }
}

}  // namespace

std::vector<std::uint8_t> MakeGenesisImage(std::size_t size, const std::string& domesticName) {
    std::vector<std::uint8_t> image(size);
    for (std::size_t index = 0; index < size; ++index) {
        image[index] = static_cast<std::uint8_t>((index * 7 + index / 256) & 0xFF);
    }
    if (size < 0x200) {
        return image;
    }
    PutText(image, 0x100, 16, "SEGA MEGA DRIVE");
    PutText(image, 0x110, 16, "(C)NUVR 2026.DEC");
    PutText(image, 0x120, 48, domesticName);
    PutText(image, 0x150, 48, "OVERSEAS " + domesticName);
    PutText(image, 0x180, 14, "GM 00000000-00");
    PutLong(image, 0x1A0, 0);
    PutLong(image, 0x1A4, static_cast<std::uint32_t>(size - 1));
    PutLong(image, 0x1A8, 0x200000);
    PutLong(image, 0x1AC, 0x20FFFF);
    std::uint16_t sum = 0;
    for (std::size_t index = 0x200; index + 1 < size; index += 2) {
        sum = static_cast<std::uint16_t>(sum + (image[index] << 8 | image[index + 1]));
    }
    image[0x18E] = static_cast<std::uint8_t>(sum >> 8);
    image[0x18F] = static_cast<std::uint8_t>(sum);
    return image;
}

void WriteBytes(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

std::vector<std::uint8_t> ReadBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace clitest
