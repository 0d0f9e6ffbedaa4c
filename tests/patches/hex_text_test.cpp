// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include <gtest/gtest.h>

#include "patches/hex_text.h"

namespace nuvrel {
namespace {

TEST(HexText, ParsesLikeStrtolWithBase16) {
    EXPECT_EQ(ParseHexText("00AA80"), 0xAA80);
    EXPECT_EQ(ParseHexText("  0x1f"), 0x1F);
    EXPECT_EQ(ParseHexText("aBc:def"), 0xABC);
    EXPECT_EQ(ParseHexText("12345\r\n"), 0x12345);
    EXPECT_EQ(ParseHexText("+10"), 0x10);
    EXPECT_EQ(ParseHexText("-1"), -1);
}

TEST(HexText, TextWithoutDigitsGivesZero) {
    EXPECT_EQ(ParseHexText(""), 0);
    EXPECT_EQ(ParseHexText("   "), 0);
    EXPECT_EQ(ParseHexText("xyz"), 0);
    EXPECT_EQ(ParseHexText("0x"), 0);
    EXPECT_EQ(ParseHexText("0xg"), 0);
}

TEST(HexText, ValuesBeyondThe32BitRangeSaturate) {
    EXPECT_EQ(ParseHexText("7FFFFFFF"), 0x7FFFFFFF);
    EXPECT_EQ(ParseHexText("80000000"), 0x7FFFFFFF);
    EXPECT_EQ(ParseHexText("FFFFFFFFFFFF"), 0x7FFFFFFF);
    EXPECT_EQ(ParseHexText("-80000000"), INT32_MIN);
    EXPECT_EQ(ParseHexText("-FFFFFFFFFF"), INT32_MIN);
}

TEST(HexText, FormatsWithMinimumWidthInUpperCase) {
    EXPECT_EQ(FormatPatchAddress(0xaa80), "00AA80");
    EXPECT_EQ(FormatPatchAddress(0x1234567), "1234567");
    EXPECT_EQ(FormatPatchData(0xbb), "00BB");
    EXPECT_EQ(FormatPatchData(0x12345), "12345");
}

}  // namespace
}  // namespace nuvrel
