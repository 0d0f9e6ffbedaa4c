// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "genesis/rom_image.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "temp_folder.h"

namespace nuvrel {
namespace {

using testing::TempFolder;

std::vector<std::uint8_t> ImageWithDomesticName(std::size_t size, const std::string& name) {
    std::vector<std::uint8_t> image(size, 0x4E);
    std::memset(image.data() + 0x120, ' ', 48);
    std::memcpy(image.data() + 0x120, name.data(), name.size());
    return image;
}

TEST(CheckInputImage, MeasuresTheImageAndRemovesTrailingSpacesFromTheDomesticName) {
    TempFolder folder;
    const auto path =
        folder.write("sonic.bin", ImageWithDomesticName(0x80000, "SONIC  THE HEDGEHOG"));
    const ImageCheck check = CheckInputImage(path);
    EXPECT_TRUE(check.usable);
    EXPECT_EQ(check.size, 0x80000u);
    EXPECT_EQ(check.sizeText, "4MBit");
    EXPECT_EQ(check.domesticName, "SONIC  THE HEDGEHOG");
}

TEST(CheckInputImage, RoundsTheSizeUpToWholeMegabits) {
    TempFolder folder;
    EXPECT_EQ(CheckInputImage(folder.write("a.bin", ImageWithDomesticName(131072, "A"))).sizeText,
              "1MBit");
    EXPECT_EQ(CheckInputImage(folder.write("b.bin", ImageWithDomesticName(131073, "B"))).sizeText,
              "2MBit");
}

TEST(CheckInputImage, KeepsAllFortyEightCharactersOfAFullName) {
    TempFolder folder;
    const std::string name(48, 'X');
    std::vector<std::uint8_t> image = ImageWithDomesticName(0x200, name);
    image[0x150] = 'Y';  // the overseas name right after must not leak in
    const ImageCheck check = CheckInputImage(folder.write("full.bin", image));
    EXPECT_EQ(check.domesticName, name);
}

TEST(CheckInputImage, OnlySpacesAtTheEndOfTheFieldAreRemovedAndAZeroByteEndsTheName) {
    TempFolder folder;
    // "AB " then a zero byte then spaces: the walk back from the field's end stops at the zero
    // byte, so the space before it stays.
    std::vector<std::uint8_t> image = ImageWithDomesticName(0x200, "AB ");
    image[0x123] = 0x00;
    EXPECT_EQ(CheckInputImage(folder.write("zero.bin", image)).domesticName, "AB ");

    // Spaces running up to the field's last character go, whatever lies before them.
    std::vector<std::uint8_t> padded = ImageWithDomesticName(0x200, "AB  C");
    EXPECT_EQ(CheckInputImage(folder.write("padded.bin", padded)).domesticName, "AB  C");
}

TEST(CheckInputImage, ImageShorterThanTheNameFieldShowsWhatItHolds) {
    TempFolder folder;
    std::vector<std::uint8_t> image(0x124, ' ');
    std::memcpy(image.data() + 0x120, "AB  ", 4);
    const ImageCheck check = CheckInputImage(folder.write("tiny.bin", image));
    EXPECT_TRUE(check.usable);
    EXPECT_EQ(check.size, 0x124u);
    EXPECT_EQ(check.domesticName, "AB");

    const ImageCheck empty = CheckInputImage(folder.write("empty.bin", {}));
    EXPECT_TRUE(empty.usable);
    EXPECT_EQ(empty.sizeText, "0MBit");
    EXPECT_EQ(empty.domesticName, "");
}

TEST(CheckInputImage, MissingFileOrFolderIsUnusableAndChangesNothing) {
    TempFolder folder;
    for (const std::string& path :
         {folder.file("missing.bin").string(), folder.file("").string()}) {
        const ImageCheck check = CheckInputImage(path);
        EXPECT_FALSE(check.usable) << path;
        EXPECT_FALSE(check.size.has_value()) << path;
        EXPECT_FALSE(check.sizeText.has_value()) << path;
        EXPECT_FALSE(check.domesticName.has_value()) << path;
    }
}

TEST(RomSizeMessage, NamesTheCapacityRoundedDownAndTheImageRoundedUp) {
    EXPECT_EQ(RomTooLargeMessage(0x200000, 0x200001),
              "File Size is to large for attached device!\nDevice Rom Size: 16MBit\nFile Size: "
              "17MBit");
    EXPECT_EQ(RomTooLargeMessage(0, 0x80000),
              "File Size is to large for attached device!\nDevice Rom Size: 0MBit\nFile Size: "
              "4MBit");
    EXPECT_EQ(DeviceSizeMBitText(0x400001), "32MBit");
    EXPECT_EQ(FileSizeMBitText(0x400001), "33MBit");
}

TEST(RomSizeMessage, AnImageAsLargeAsTheCapacityFitsAndOneByteMoreDoesNot) {
    EXPECT_TRUE(ImageFitsDevice(0x200000, 0x200000));
    EXPECT_FALSE(ImageFitsDevice(0x200000, 0x200001));
    EXPECT_TRUE(ImageFitsDevice(0x400001, 0x400001));
    EXPECT_FALSE(ImageFitsDevice(0, 1));
}

}  // namespace
}  // namespace nuvrel
