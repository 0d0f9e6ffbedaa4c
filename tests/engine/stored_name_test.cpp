// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "engine/stored_name.h"

#include <gtest/gtest.h>

#include <string>

namespace nuvrel {
namespace {

TEST(MakeStoredName, TakesTheNameAfterTheLastSlashOrBackslash) {
    EXPECT_EQ(MakeStoredName("/home/user/roms/Sonic.bin"), "Sonic.bin");
    EXPECT_EQ(MakeStoredName("C:\\Games\\Genesis\\Sonic.gen"), "Sonic.gen");
    EXPECT_EQ(MakeStoredName("C:\\Games/mixed\\last/Name.bin"), "Name.bin");
    EXPECT_EQ(MakeStoredName("/mnt/share\\Win.bin"), "Win.bin");
    EXPECT_EQ(MakeStoredName("plain.bin"), "plain.bin");
}

TEST(MakeStoredName, KeepsNamesOfUpTo63CharactersAndShortensLongerOnes) {
    const std::string name63 = std::string(59, 'a') + ".bin";
    EXPECT_EQ(MakeStoredName("/roms/" + name63), name63);

    const std::string name64 = "Phantasy" + std::string(52, 'z') + ".bin";
    ASSERT_EQ(name64.size(), 64u);
    EXPECT_EQ(MakeStoredName("/roms/" + name64), "Phanta~1.bin");

    const std::string save70 = std::string(70, 'q') + ".srm";
    EXPECT_EQ(MakeStoredName("C:\\saves\\" + save70), "qqqqqq~1.srm");
    EXPECT_EQ(MakeStoredName("C:\\saves\\" + save70).size(), 12u);
}

}  // namespace
}  // namespace nuvrel
