// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// SMD and byte-swapped images: recognised, converted to the plain image, and plain or headerless
// images left as they are.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "genesis/genesis_header.h"
#include "genesis/rom_image.h"
#include "genesis/rom_image_format.h"
#include "genesis_image.h"
#include "temp_folder.h"

namespace nuvrel {
namespace {

std::vector<std::uint8_t> PlainImage(std::size_t bytes, const char* signature) {
    std::vector<std::uint8_t> image(bytes);
    for (std::size_t i = 0; i < bytes; ++i) {
        image[i] = static_cast<std::uint8_t>(i * 31 + (i >> 9));
    }
    std::memcpy(image.data() + 0x100, signature, std::strlen(signature));
    return image;
}

std::vector<std::uint8_t> AsSwapped(std::vector<std::uint8_t> plain) {
    for (std::size_t i = 0; i + 1 < plain.size(); i += 2) {
        std::swap(plain[i], plain[i + 1]);
    }
    return plain;
}

struct FormatCase {
    const char* what;
    const char* signature;
    RomImageFormat format;
    std::vector<std::uint8_t> (*shape)(const std::vector<std::uint8_t>&);
};

const FormatCase kCases[] = {
    {"plain", "SEGA MEGA DRIVE ", RomImageFormat::Plain, [](const auto& p) { return p; }},
    {"smd", "SEGA GENESIS    ", RomImageFormat::Smd, testing::SmdFile},
    {"smd, signature at 0x101", " SEGA GENESIS   ", RomImageFormat::Smd, testing::SmdFile},
    {"swapped", "SEGA MEGA DRIVE ", RomImageFormat::ByteSwapped,
     [](const auto& p) { return AsSwapped(p); }},
    {"swapped, signature at 0x101", " SEGA MEGA DRIVE", RomImageFormat::ByteSwapped,
     [](const auto& p) { return AsSwapped(p); }},
};

class RomFormats : public ::testing::TestWithParam<FormatCase> {};

TEST_P(RomFormats, AreRecognisedAndGiveThePlainImage) {
    const std::vector<std::uint8_t> plain = PlainImage(0x20000, GetParam().signature);
    const std::vector<std::uint8_t> file = GetParam().shape(plain);
    const RomFormatDetection found = DetectRomImageFormat(file);
    EXPECT_EQ(found.format, GetParam().format) << GetParam().what;
    EXPECT_EQ(found.plainSize, plain.size());
    EXPECT_EQ(found.note.empty(), GetParam().format == RomImageFormat::Plain);
    EXPECT_EQ(ToPlainImage(file, found.format), plain);
}

TEST_P(RomFormats, SelectingTheFileShowsThePlainImage) {
    std::vector<std::uint8_t> plain = PlainImage(0x20000, GetParam().signature);
    std::memcpy(plain.data() + 0x120, "OUTRUN", 6);
    std::memset(plain.data() + 0x126, ' ', 42);
    const testing::TempFolder folder;
    const std::string path = folder.write("game", GetParam().shape(plain));
    const ImageCheck check = CheckInputImage(path);
    ASSERT_TRUE(check.usable);
    EXPECT_EQ(check.size, plain.size());
    EXPECT_EQ(check.domesticName, "OUTRUN");
    EXPECT_EQ(check.format, GetParam().format);
    const auto header = ReadGenesisHeaderFromFile(path);
    ASSERT_TRUE(header.has_value());
    EXPECT_EQ(0, std::memcmp(header->data(), plain.data() + 0x100, header->size()));
}

INSTANTIATE_TEST_SUITE_P(Images, RomFormats, ::testing::ValuesIn(kCases));

TEST(RomFormats, AnImageWithoutAHeaderStaysAsItIs) {
    // Homebrew without a header, in the SMD size pattern: nothing says it is interleaved.
    std::vector<std::uint8_t> homebrew(512 + 16384, 0x4E);
    EXPECT_EQ(DetectRomImageFormat(homebrew).format, RomImageFormat::Plain);
    EXPECT_EQ(DetectRomImageFormat(std::vector<std::uint8_t>(100, 0)).format,
              RomImageFormat::Plain);
}

}  // namespace
}  // namespace nuvrel
