// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The checks that tell a good dump: CRC32 and SHA-1, the Genesis header checksum, DAT files.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "genesis/dat_file.h"
#include "genesis/genesis_checksum.h"
#include "genesis/rom_digest.h"
#include "temp_folder.h"

namespace nuvrel {
namespace {

using testing::TempFolder;

std::vector<std::uint8_t> Bytes(const std::string& text) {
    return {text.begin(), text.end()};
}

TEST(RomDigest, MatchesTheStandardCheckValues) {
    const auto check = DigestBytes(Bytes("123456789"));
    ASSERT_TRUE(check);
    EXPECT_EQ(check->crc32Text(), "cbf43926");
    EXPECT_EQ(check->sha1Text(), "f7c3bc1d808e04732adf679965ccc34ca7ae3441");
    const auto empty = DigestBytes({});
    ASSERT_TRUE(empty);
    EXPECT_EQ(empty->crc32Text(), "00000000");
    EXPECT_EQ(empty->sha1Text(), "da39a3ee5e6b4b0d3255bfef95601890afd80709");

    // A file larger than one read gives what its bytes give in memory.
    TempFolder folder;
    std::vector<std::uint8_t> big(200 * 1024 + 3);
    for (std::size_t i = 0; i < big.size(); ++i) {
        big[i] = static_cast<std::uint8_t>(i * 31 + 7);
    }
    const auto fromFile = DigestFile(folder.write("big.bin", big));
    ASSERT_TRUE(fromFile);
    EXPECT_EQ(fromFile->sha1Text(), DigestBytes(big)->sha1Text());
    EXPECT_EQ(fromFile->crc32, DigestBytes(big)->crc32);
    EXPECT_EQ(fromFile->size, big.size());
}

TEST(GenesisChecksum, SumsTheBigEndianWordsFrom0x200AndAnOddLastByteAsAHighByte) {
    std::vector<std::uint8_t> image(0x206, 0xEE);  // header bytes do not count
    image[0x200] = 0x12;
    image[0x201] = 0x34;
    image[0x202] = 0xFF;
    image[0x203] = 0xFF;
    image[0x204] = 0x00;
    image[0x205] = 0x01;
    EXPECT_EQ(ComputeGenesisChecksum(image), static_cast<std::uint16_t>(0x1234 + 0xFFFF + 0x0001));
    image.push_back(0x80);
    EXPECT_EQ(ComputeGenesisChecksum(image),
              static_cast<std::uint16_t>(0x1234 + 0xFFFF + 0x0001 + 0x8000));
}

TEST(GenesisChecksum, ACorrectedCopyCarriesTheComputedSumAndLeavesTheImage) {
    TempFolder folder;
    std::vector<std::uint8_t> image(0x1000, 0x11);
    image[0x18E] = 0xDE;
    image[0x18F] = 0xAD;
    const std::string path = folder.write("game.bin", image);
    const auto before = ReadImageChecksum(path);
    ASSERT_TRUE(before);
    EXPECT_FALSE(before->matches());

    const std::string fixed = folder.file("fixed.bin").string();
    ASSERT_EQ(WriteChecksumFixedCopy(path, fixed), ChecksumFix::Written);
    EXPECT_TRUE(ReadImageChecksum(fixed)->matches());
    EXPECT_EQ(testing::ReadWholeFile(path), image);
    EXPECT_EQ(WriteChecksumFixedCopy(path, path), ChecksumFix::SameFile);
    EXPECT_EQ(testing::ReadWholeFile(path), image);
}

TEST(DatFile, FindsAGameBySha1OrByCrcAndSizeWhereNoSha1IsGiven) {
    TempFolder folder;
    const auto one = *DigestBytes(Bytes("one"));
    const auto two = *DigestBytes(Bytes("two"));
    const std::string path = folder.file("genesis.dat").string();
    std::ofstream(path) << "<?xml version=\"1.0\"?>\n<datafile><header><name>Sega</name></header>"
                        << "<game name=\"Game One (World)\"><rom name=\"one.md\" size=\"3\" crc=\""
                        << one.crc32Text() << "\" sha1=\"" << one.sha1Text() << "\"/></game>"
                        << "<game name=\"Game Two\"><rom name=\"two.md\" size=\"3\" crc=\""
                        << two.crc32Text() << "\"/></game></datafile>\n";
    std::string error;
    const auto dat = DatFile::Load(path, &error);
    ASSERT_TRUE(dat) << error;
    EXPECT_EQ(dat->size(), 2u);
    ASSERT_NE(dat->find(one), nullptr);
    EXPECT_EQ(dat->find(one)->game, "Game One (World)");
    ASSERT_NE(dat->find(two), nullptr);
    EXPECT_EQ(dat->find(two)->name, "two.md");
    EXPECT_EQ(dat->find(*DigestBytes(Bytes("three"))), nullptr);

    std::ofstream(folder.file("broken.dat").string()) << "<datafile><game>";
    EXPECT_FALSE(DatFile::Load(folder.file("broken.dat").string(), &error));
    EXPECT_FALSE(error.empty());
}

}  // namespace
}  // namespace nuvrel
