// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "genesis/genesis_header.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "temp_folder.h"

namespace nuvrel {
namespace {

void Put(GenesisHeaderBytes& header, std::size_t imageOffset, const std::string& bytes) {
    std::memcpy(header.data() + imageOffset - kGenesisHeaderOffset, bytes.data(), bytes.size());
}

GenesisHeaderBytes SampleHeader() {
    GenesisHeaderBytes header{};
    header.fill(' ');
    Put(header, 0x100, "SEGA MEGA DRIVE ");
    Put(header, 0x110, "(C)SEGA 1991.APR");
    Put(header, 0x120, "SONIC THE HEDGEHOG");
    Put(header, 0x150, "SONIC THE HEDGEHOG");
    Put(header, 0x180, "GM 00001009-00");
    Put(header, 0x18E, std::string("\x12\x34", 2));
    Put(header, 0x1A0, std::string("\x00\x00\x00\x00\x00\x0F\xFF\xFF", 8));
    Put(header, 0x1A8, std::string("\x00\xFF\x00\x00\x00\xFF\xFF\xFF", 8));
    return header;
}

TEST(GenesisHeaderFormat, ShowsEveryFieldAsTheHeaderHoldsIt) {
    const GenesisHeaderFields fields = FormatGenesisHeader(SampleHeader());
    EXPECT_EQ(fields.systemName, "SEGA MEGA DRIVE ");
    EXPECT_EQ(fields.copyright, "(C)SEGA 1991.APR");
    // Text fields are not trimmed: the padding to 48 characters stays.
    EXPECT_EQ(fields.domesticName, "SONIC THE HEDGEHOG" + std::string(30, ' '));
    EXPECT_EQ(fields.overseasName.size(), 48u);
    EXPECT_EQ(fields.cartridgeType, "GM 00001009-00");
    EXPECT_EQ(fields.checksum, "0x1234");
    EXPECT_EQ(fields.romRange, "0x000000(0)::0x0fffff(1048575)");
    EXPECT_EQ(fields.ramRange, "0xff0000(16711680)::0xffffff(16777215)");
}

TEST(GenesisHeaderFormat, AddressesKeepOnlyTheirLow24Bits) {
    GenesisHeaderBytes header = SampleHeader();
    Put(header, 0x1A0, std::string("\xAB\x12\x34\x56\x7F\x20\x00\x01", 8));
    EXPECT_EQ(FormatGenesisHeader(header).romRange, "0x123456(1193046)::0x200001(2097153)");
}

TEST(GenesisHeaderFormat, AZeroByteEndsATextEarly) {
    GenesisHeaderBytes header = SampleHeader();
    Put(header, 0x100, std::string("SE\0A MEGA DRIVE ", 16));
    Put(header, 0x180, std::string("\0M 00001009-00", 14));
    const GenesisHeaderFields fields = FormatGenesisHeader(header);
    EXPECT_EQ(fields.systemName, "SE");
    EXPECT_EQ(fields.cartridgeType, "");
}

TEST(GenesisHeaderFormat, ATextFillingItsFieldStopsAtTheFieldsEnd) {
    GenesisHeaderBytes header = SampleHeader();
    // The type field (14 bytes) runs straight into the checksum bytes.
    Put(header, 0x180, "GM T-12345 -01");
    EXPECT_EQ(FormatGenesisHeader(header).cartridgeType, "GM T-12345 -01");
    Put(header, 0x18E, std::string("\x00\x05", 2));
    EXPECT_EQ(FormatGenesisHeader(header).checksum, "0x0005");
}

TEST(GenesisHeaderFile, ReadsTheBytesFrom0x100OfTheImage) {
    testing::TempFolder folder;
    const GenesisHeaderBytes sample = SampleHeader();
    std::vector<std::uint8_t> image(0x200, 0xEE);
    std::memcpy(image.data() + 0x100, sample.data(), sample.size());
    const auto header = ReadGenesisHeaderFromFile(folder.write("game.bin", image));
    ASSERT_TRUE(header.has_value());
    EXPECT_EQ(*header, sample);
}

TEST(GenesisHeaderFile, MissingOrTooShortImageHasNoHeader) {
    testing::TempFolder folder;
    EXPECT_FALSE(ReadGenesisHeaderFromFile(folder.file("missing.bin").string()).has_value());
    EXPECT_FALSE(
        ReadGenesisHeaderFromFile(folder.write("short.bin", std::vector<std::uint8_t>(0x1AF, 0x20)))
            .has_value());
    EXPECT_TRUE(
        ReadGenesisHeaderFromFile(folder.write("exact.bin", std::vector<std::uint8_t>(0x1B0, 0x20)))
            .has_value());
}

TEST(GenesisHeaderFile, SizeTextGivesHexBytesAndMegabitsRoundedUp) {
    EXPECT_EQ(HeaderFileSizeText(0x200001), "0x00200001, 17MBit");
    EXPECT_EQ(HeaderFileSizeText(0x80000), "0x00080000, 4MBit");
}

}  // namespace
}  // namespace nuvrel
