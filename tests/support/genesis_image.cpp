// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "genesis_image.h"

namespace nuvrel::testing {
namespace {

constexpr std::size_t kHeaderEnd = 0x200;
constexpr std::size_t kSmdBlock = 16384;

void PutText(std::span<std::uint8_t> image, std::size_t offset, std::size_t length,
             const std::string& text) {
    for (std::size_t index = 0; index < length; ++index) {
        image[offset + index] = static_cast<std::uint8_t>(index < text.size() ? text[index] : ' ');
    }
}

void PutLong(std::span<std::uint8_t> image, std::size_t offset, std::uint32_t value) {
    for (std::size_t index = 0; index < 4; ++index) {
        image[offset + index] = static_cast<std::uint8_t>(value >> (24 - 8 * index));
    }
}

}  // namespace

void PutGenesisHeader(std::span<std::uint8_t> image, const GenesisHeaderFields& fields) {
    PutText(image, 0x100, 16, "SEGA MEGA DRIVE");
    PutText(image, 0x110, 16, "(C)NUVR 2026.DEC");
    PutText(image, 0x120, 48, fields.domesticName);
    PutText(image, 0x150, 48, "OVERSEAS " + fields.domesticName);
    PutText(image, 0x180, 14, "GM 00000000-00");
    PutLong(image, 0x1A0, 0);
    PutLong(image, 0x1A4, static_cast<std::uint32_t>(image.size() - 1));
    PutLong(image, 0x1A8, fields.ramStart);
    PutLong(image, 0x1AC, 0x20FFFF);
}

std::uint16_t GenesisWordSum(std::span<const std::uint8_t> image) {
    std::uint16_t sum = 0;
    for (std::size_t index = kHeaderEnd; index + 1 < image.size(); index += 2) {
        sum = static_cast<std::uint16_t>(sum + (image[index] << 8 | image[index + 1]));
    }
    return sum;
}

void PutComputedChecksum(std::span<std::uint8_t> image) {
    const std::uint16_t sum = GenesisWordSum(image);
    image[0x18E] = static_cast<std::uint8_t>(sum >> 8);
    image[0x18F] = static_cast<std::uint8_t>(sum);
}

std::vector<std::uint8_t> MakeGenesisImage(std::size_t size, const std::string& domesticName) {
    std::vector<std::uint8_t> image(size);
    for (std::size_t index = 0; index < size; ++index) {
        image[index] = static_cast<std::uint8_t>((index * 7 + index / 256) & 0xFF);
    }
    if (size >= kHeaderEnd) {
        PutGenesisHeader(image, {domesticName});
        PutComputedChecksum(image);
    }
    return image;
}

std::vector<std::uint8_t> SmdFile(const std::vector<std::uint8_t>& plain) {
    std::vector<std::uint8_t> file(512, 0);
    file[0] = static_cast<std::uint8_t>(plain.size() / kSmdBlock);
    file[8] = 0xAA;
    file[9] = 0xBB;
    for (std::size_t block = 0; block < plain.size(); block += kSmdBlock) {
        for (std::size_t i = 1; i < kSmdBlock; i += 2) {
            file.push_back(plain[block + i]);
        }
        for (std::size_t i = 0; i < kSmdBlock; i += 2) {
            file.push_back(plain[block + i]);
        }
    }
    return file;
}

}  // namespace nuvrel::testing
