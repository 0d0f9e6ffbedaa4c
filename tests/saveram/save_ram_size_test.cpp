// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include <gtest/gtest.h>

#include "saveram/save_ram.h"

namespace nuvrel {
namespace {

TEST(SaveRamSize, AFileOfTheWholeWindowFitsAndOneByteMoreDoesNot) {
    EXPECT_TRUE(SaveFileFits(32768, 65536));
    EXPECT_FALSE(SaveFileFits(32768, 65537));
    EXPECT_TRUE(SaveFileFits(32769, 65538));
    EXPECT_TRUE(SaveFileFits(32768, 0));
    EXPECT_FALSE(SaveFileFits(0, 1));
}

TEST(SaveRamSize, MessageNamesTheDeviceRoundedDownAndTheFileRoundedUp) {
    EXPECT_EQ(SaveTooLargeMessage(32768, 65537),
              "File Size is to large for attached device!\nDevice Rom Size: 32Kbytes\nFile Size: "
              "65Kbytes");
    EXPECT_EQ(SaveTooLargeMessage(32769, 66560),
              "File Size is to large for attached device!\nDevice Rom Size: 32Kbytes\nFile Size: "
              "65Kbytes");
}

}  // namespace
}  // namespace nuvrel
