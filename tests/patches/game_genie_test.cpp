// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "patches/game_genie.h"

namespace nuvrel {
namespace {

std::string Encode(std::uint32_t address, std::uint32_t data) {
    char code[kGameGenieCodeBufferSize];
    EncodeGameGenie(address, data, code);
    return code;
}

TEST(GameGenieCodec, EncodesThePublishedExamples) {
    EXPECT_EQ(Encode(0x00AA80, 0x00BB), "1RZA-AAEA");
    EXPECT_EQ(Encode(0x150000, 0x0000), "AAAB-LAAA");
    EXPECT_EQ(Encode(0, 0), "AAAA-AAAA");
    EXPECT_EQ(Encode(0xFFFFFF, 0xFFFF), "9999-9999");
}

TEST(GameGenieCodec, DecodesThePublishedExamples) {
    GameGeniePatch patch = DecodeGameGenie("NWFC-YAGW");
    EXPECT_EQ(patch.address, 0x2A8AD2u);
    EXPECT_EQ(patch.data, 0x0064u);
    patch = DecodeGameGenie("AAAB-LAAA");
    EXPECT_EQ(patch.address, 0x150000u);
    EXPECT_EQ(patch.data, 0u);
    patch = DecodeGameGenie("1RZA-AAEA");
    EXPECT_EQ(patch.address, 0x00AA80u);
    EXPECT_EQ(patch.data, 0x00BBu);
}

TEST(GameGenieCodec, EncodingIgnoresBitsAboveAddressAndDataWidth) {
    EXPECT_EQ(Encode(0xFFFFFFFF, 0xFFFFFFFF), "9999-9999");
    EXPECT_EQ(Encode(0xAB00AA80, 0xCDEF00BB), "1RZA-AAEA");
}

TEST(GameGenieCodec, RandomPairsSurviveEncodeThenDecode) {
    std::mt19937 random(20261208);
    std::uniform_int_distribution<std::uint32_t> addresses(0, 0xFFFFFF);
    std::uniform_int_distribution<std::uint32_t> words(0, 0xFFFF);
    for (int round = 0; round < 20000; ++round) {
        const std::uint32_t address = addresses(random);
        const std::uint32_t data = words(random);
        char code[kGameGenieCodeBufferSize];
        EncodeGameGenie(address, data, code);
        const GameGeniePatch patch = DecodeGameGenie(code);
        ASSERT_EQ(patch.address, address) << code;
        ASSERT_EQ(patch.data, data) << code;
    }
}

TEST(GameGenieCodec, EverySingleBitLandsWhereTheLayoutPutsIt) {
    for (int bit = 0; bit < 24; ++bit) {
        const std::uint32_t address = 1u << bit;
        EXPECT_EQ(DecodeGameGenie(Encode(address, 0).c_str()).address, address) << bit;
    }
    for (int bit = 0; bit < 16; ++bit) {
        const std::uint32_t data = 1u << bit;
        EXPECT_EQ(DecodeGameGenie(Encode(0, data).c_str()).data, data) << bit;
    }
}

TEST(GameGenieCodec, LettersOutsideTheAlphabetCountAsA) {
    for (const char letter : {'I', 'O', 'Q', 'U', 'a', 'n', '*', ' '}) {
        EXPECT_EQ(GameGenieLetterValue(letter), 0u) << letter;
    }
    EXPECT_EQ(GameGenieLetterValue('A'), 0u);
    EXPECT_EQ(GameGenieLetterValue('J'), 8u);
    EXPECT_EQ(GameGenieLetterValue('T'), 16u);
    EXPECT_EQ(GameGenieLetterValue('0'), 22u);
    EXPECT_EQ(GameGenieLetterValue('9'), 31u);
    const GameGeniePatch odd = DecodeGameGenie("IOQU-0000");
    const GameGeniePatch plain = DecodeGameGenie("AAAA-0000");
    EXPECT_EQ(odd.address, plain.address);
    EXPECT_EQ(odd.data, plain.data);
}

TEST(GameGenieCodec, FifthCharacterNeverContributes) {
    GameGeniePatch patch = DecodeGameGenie("NWFCYAGW");
    EXPECT_EQ(patch.address, 0x5124D2u);
    EXPECT_EQ(patch.data, 0x0003u);
    patch = DecodeGameGenie("NWFC9YAGW");
    EXPECT_EQ(patch.address, 0x2A8AD2u);
    EXPECT_EQ(patch.data, 0x0064u);
}

TEST(GameGenieCodec, PartialTextGivesTheValueOfItsGroups) {
    // N (12), W (18) and the hyphen looked up as A give V = 0x3240.
    const GameGeniePatch patch = DecodeGameGenie("NW-");
    EXPECT_EQ(patch.address, 0x000040u);
    EXPECT_EQ(patch.data, 0x4600u);
    const GameGeniePatch empty = DecodeGameGenie("");
    EXPECT_EQ(empty.address, 0u);
    EXPECT_EQ(empty.data, 0u);
}

}  // namespace
}  // namespace nuvrel
