// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "patches/patch_file.h"

namespace nuvrel {
namespace {

class PatchFile : public ::testing::Test {
  protected:
    void SetUp() override {
        folder_ = std::filesystem::temp_directory_path() /
                  ("nuvrel-patch-file-" +
                   std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(folder_);
        std::filesystem::create_directories(folder_);
        path_ = folder_ / "patches.txt";
    }
    void TearDown() override { std::filesystem::remove_all(folder_); }

    void WriteFile(const std::string& bytes) {
        std::ofstream out(path_, std::ios::binary);
        out << bytes;
    }
    std::string ReadFile() const {
        std::ifstream in(path_, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    std::filesystem::path folder_;
    std::filesystem::path path_;
};

TEST_F(PatchFile, SaveWritesAddressColonDataWithCrLf) {
    PatchList list;
    list.AppendPatchRow(0xAA80, 0xBB, "1RZA-AAEA");
    list.SetChecked(0, true);
    list.AppendPatchRow(0x12, 0x12345, "whatever");
    ASSERT_EQ(SavePatchFile(path_, list), PatchFileResult::Ok);
    EXPECT_EQ(ReadFile(), "00AA80:00BB\r\n000012:12345\r\n");
}

TEST_F(PatchFile, EmptyListGivesEmptyFile) {
    WriteFile("old content");
    ASSERT_EQ(SavePatchFile(path_, PatchList{}), PatchFileResult::Ok);
    EXPECT_EQ(ReadFile(), "");
}

TEST_F(PatchFile, RoundTripRebuildsCodesAndLeavesRowsUnchecked) {
    PatchList saved;
    saved.AppendPatchRow(0xAA80, 0xBB, "typed");
    saved.AppendPatchRow(0x2A8AD2, 0x64, "NWFC-YAGW");
    saved.SetChecked(1, true);
    ASSERT_EQ(SavePatchFile(path_, saved), PatchFileResult::Ok);
    PatchList loaded;
    ASSERT_EQ(LoadPatchFile(path_, 0x400000, loaded), PatchFileResult::Ok);
    ASSERT_EQ(loaded.size(), 2u);
    EXPECT_EQ(loaded.row(0), (PatchRow{false, "00AA80", "00BB", "1RZA-AAEA"}));
    EXPECT_EQ(loaded.row(1), (PatchRow{false, "2A8AD2", "0064", "NWFC-YAGW"}));
}

TEST_F(PatchFile, LoadAcceptsLfLowerCasePrefixesAndBlanks) {
    WriteFile("aa80:bb\n  0x10:0X1234\r\n20:5");
    PatchList list;
    ASSERT_EQ(LoadPatchFile(path_, 0x10000, list), PatchFileResult::Ok);
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list.row(0).address, "00AA80");
    EXPECT_EQ(list.row(0).data, "00BB");
    EXPECT_EQ(list.row(1).address, "000010");
    EXPECT_EQ(list.row(1).data, "1234");
    EXPECT_EQ(list.row(2).data, "0005");
}

TEST_F(PatchFile, LineWithoutColonEmptiesTheListWithWrongFormat) {
    WriteFile("00AA80:00BB\r\n00AA82 00CC\r\n000010:0001\r\n");
    PatchList list;
    list.AppendPatchRow(1, 1, "earlier");
    EXPECT_EQ(LoadPatchFile(path_, 0x10000, list), PatchFileResult::WrongFormat);
    EXPECT_TRUE(list.empty());
    EXPECT_EQ(PatchFileMessage(PatchFileResult::WrongFormat), "Wrong file format!");
}

TEST_F(PatchFile, TrailingEmptyLineEndsInWrongFormatWithAnEmptyList) {
    for (const std::string bytes : {"00AA80:00BB\r\n\r\n", "00AA80:00BB\n\n"}) {
        WriteFile(bytes);
        PatchList list;
        EXPECT_EQ(LoadPatchFile(path_, 0x10000, list), PatchFileResult::WrongFormat);
        EXPECT_TRUE(list.empty());
    }
}

TEST_F(PatchFile, LinesOutsideTheRomAreaAreSkippedSilently) {
    WriteFile("000FFF:0001\r\n001000:0002\r\nFFFFFF:0003\r\n-1:0004\r\n000000:0005\r\n");
    PatchList list;
    ASSERT_EQ(LoadPatchFile(path_, 0x1000, list), PatchFileResult::Ok);
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list.row(0).address, "000FFF");
    EXPECT_EQ(list.row(1).address, "000000");
}

TEST_F(PatchFile, NoRomSelectedSkipsEveryLine) {
    WriteFile("000000:0001\r\n");
    PatchList list;
    ASSERT_EQ(LoadPatchFile(path_, 0, list), PatchFileResult::Ok);
    EXPECT_TRUE(list.empty());
}

TEST_F(PatchFile, WideDataIsKeptWholeAndTheCodeUsesItsLowWord) {
    WriteFile("000010:12345\r\n");
    PatchList list;
    ASSERT_EQ(LoadPatchFile(path_, 0x100, list), PatchFileResult::Ok);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list.row(0).data, "12345");
    PatchList plain;
    plain.AppendPatchRow(0x10, 0x2345, "");
    WriteFile("000010:2345\r\n");
    ASSERT_EQ(LoadPatchFile(path_, 0x100, plain), PatchFileResult::Ok);
    EXPECT_EQ(list.row(0).code, plain.row(0).code);
}

// Found by fuzzing: "-AA4" showed as FFFFF55C, applied as FFFF and saved a file that loaded back
// as 7FFFFFFF.
TEST_F(PatchFile, NegativeDataKeepsItsLowWordSoRowCodeAndPatchAgree) {
    WriteFile("000010:-AA4\r\n");
    PatchList list;
    ASSERT_EQ(LoadPatchFile(path_, 0x100, list), PatchFileResult::Ok);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list.row(0).data, "F55C");
    PatchList plain;
    WriteFile("000010:F55C\r\n");
    ASSERT_EQ(LoadPatchFile(path_, 0x100, plain), PatchFileResult::Ok);
    EXPECT_EQ(list, plain);

    list.SetChecked(0, true);
    std::vector<std::uint8_t> image(0x100, 0);
    ApplyPatches(list, image.data(), 0x100);
    EXPECT_EQ(image[0x10], 0xF5);
    EXPECT_EQ(image[0x11], 0x5C);

    ASSERT_EQ(SavePatchFile(path_, list), PatchFileResult::Ok);
    PatchList again;
    ASSERT_EQ(LoadPatchFile(path_, 0x100, again), PatchFileResult::Ok);
    EXPECT_EQ(again, plain);
}

TEST_F(PatchFile, DuplicateAddressesLoadAsSeparateRows) {
    WriteFile("000010:1111\r\n000010:2222\r\n");
    PatchList list;
    ASSERT_EQ(LoadPatchFile(path_, 0x100, list), PatchFileResult::Ok);
    ASSERT_EQ(list.size(), 2u);
    list.SetChecked(0, true);
    list.SetChecked(1, true);
    std::vector<std::uint8_t> image(0x101, 0);
    ApplyPatches(list, image.data(), 0x100);
    EXPECT_EQ(image[0x10], 0x22);
    EXPECT_EQ(list.FindPatchRow(0x10), 0u);
}

TEST_F(PatchFile, MissingFileLeavesTheListAsItWas) {
    PatchList list;
    list.AppendPatchRow(1, 2, "kept");
    EXPECT_EQ(LoadPatchFile(folder_ / "absent.txt", 0x100, list), PatchFileResult::CannotRead);
    EXPECT_EQ(list.size(), 1u);
    EXPECT_EQ(PatchFileMessage(PatchFileResult::CannotRead), "Can't create file for reading!");
}

TEST_F(PatchFile, UnwritablePathReportsCannotWrite) {
    EXPECT_EQ(SavePatchFile(folder_ / "no-such-folder" / "p.txt", PatchList{}),
              PatchFileResult::CannotWrite);
    EXPECT_EQ(PatchFileMessage(PatchFileResult::CannotWrite), "Can't create file for writing!");
}

TEST_F(PatchFile, FailedSaveLeavesNoPartialFileBehind) {
    // A destination that cannot be replaced (a folder) fails after the rows were written.
    const std::filesystem::path taken = folder_ / "taken.txt";
    std::filesystem::create_directory(taken);
    PatchList list;
    list.AppendPatchRow(1, 2, "");
    EXPECT_EQ(SavePatchFile(taken, list), PatchFileResult::CannotWrite);
    EXPECT_TRUE(std::filesystem::is_directory(taken));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder_),
                            std::filesystem::directory_iterator()),
              1);
}

TEST_F(PatchFile, SaveReplacesAnOlderFileCompletely) {
    WriteFile("000001:0001\r\n000002:0002\r\n000003:0003\r\n");
    PatchList list;
    list.AppendPatchRow(0x10, 0x20, "");
    ASSERT_EQ(SavePatchFile(path_, list), PatchFileResult::Ok);
    EXPECT_EQ(ReadFile(), "000010:0020\r\n");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder_),
                            std::filesystem::directory_iterator()),
              1);
}

}  // namespace
}  // namespace nuvrel
