// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include <gtest/gtest.h>

#include <vector>

#include "patches/patch_list.h"

namespace nuvrel {
namespace {

std::vector<std::uint8_t> Image(std::size_t length, std::size_t slack = 512) {
    return std::vector<std::uint8_t>(length + slack, 0x11);
}

PatchList CheckedList(std::initializer_list<std::pair<std::uint32_t, std::uint32_t>> patches) {
    PatchList list;
    for (const auto& [address, data] : patches) {
        list.AppendPatchRow(address, data, "");
        list.SetChecked(list.size() - 1, true);
    }
    return list;
}

TEST(PatchList, AppendedRowsKeepOrderTextsAndStartUnchecked) {
    PatchList list;
    list.AppendPatchRow(0xAA80, 0xBB, "1RZA-AAEA");
    list.AppendPatchRow(0x10, 0x1234, "AB");
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list.row(0), (PatchRow{false, "00AA80", "00BB", "1RZA-AAEA"}));
    EXPECT_EQ(list.row(1), (PatchRow{false, "000010", "1234", "AB"}));
}

TEST(PatchList, FindReturnsTheFirstRowWithTheAddress) {
    PatchList list;
    list.AppendPatchRow(0x200, 1, "");
    list.AppendPatchRow(0x100, 2, "");
    list.AppendPatchRow(0x100, 3, "");
    EXPECT_EQ(list.FindPatchRow(0x100), 1u);
    EXPECT_EQ(list.FindPatchRow(0x200), 0u);
    EXPECT_FALSE(list.FindPatchRow(0x300).has_value());
}

TEST(PatchList, ReplaceChangesDataAndCodeButKeepsCheckAndPosition) {
    PatchList list;
    list.AppendPatchRow(0x100, 1, "OLD");
    list.AppendPatchRow(0x200, 2, "KEEP");
    list.SetChecked(0, true);
    list.ReplacePatchRow(0, 0xBEEF, "NEW");
    EXPECT_EQ(list.row(0), (PatchRow{true, "000100", "BEEF", "NEW"}));
    EXPECT_EQ(list.row(1), (PatchRow{false, "000200", "0002", "KEEP"}));
}

TEST(PatchList, DeleteRemovesOnlyThatRow) {
    PatchList list;
    list.AppendPatchRow(1, 1, "");
    list.AppendPatchRow(2, 2, "");
    list.AppendPatchRow(3, 3, "");
    list.DeletePatchRow(1);
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list.row(0).address, "000001");
    EXPECT_EQ(list.row(1).address, "000003");
    list.DeletePatchRow(7);
    EXPECT_EQ(list.size(), 2u);
}

TEST(PatchList, ASnapshotDoesNotFollowLaterChanges) {
    PatchList list = CheckedList({{0x10, 0xAAAA}});
    const PatchList snapshot = list;
    list.ReplacePatchRow(0, 0x5555, "");
    list.AppendPatchRow(0x20, 0x1111, "");
    std::vector<std::uint8_t> image = Image(0x40);
    ApplyPatches(snapshot, image.data(), 0x40);
    EXPECT_EQ(image[0x10], 0xAA);
    EXPECT_EQ(image[0x20], 0x11);
}

TEST(ApplyPatches, EmptyOrUncheckedListLeavesTheImageUnchanged) {
    const std::vector<std::uint8_t> original = Image(0x100);
    std::vector<std::uint8_t> image = original;
    ApplyPatches(PatchList{}, image.data(), 0x100);
    EXPECT_EQ(image, original);
    PatchList unchecked;
    unchecked.AppendPatchRow(0x10, 0xBEEF, "");
    ApplyPatches(unchecked, image.data(), 0x100);
    EXPECT_EQ(image, original);
}

TEST(ApplyPatches, StoresTheWordBigEndianAtAnyByteAddress) {
    std::vector<std::uint8_t> image = Image(0x10000);
    ApplyPatches(CheckedList({{0xAA80, 0x00BB}, {0x101, 0x1234}}), image.data(), 0x10000);
    EXPECT_EQ(image[0xAA80], 0x00);
    EXPECT_EQ(image[0xAA81], 0xBB);
    EXPECT_EQ(image[0x100], 0x11);
    EXPECT_EQ(image[0x101], 0x12);
    EXPECT_EQ(image[0x102], 0x34);
    EXPECT_EQ(image[0x103], 0x11);
}

TEST(ApplyPatches, LaterCheckedRowWinsOverlappingBytes) {
    std::vector<std::uint8_t> image = Image(0x100);
    PatchList list = CheckedList({{0x20, 0xAAAA}, {0x21, 0xBBCC}, {0x20, 0x1234}});
    ApplyPatches(list, image.data(), 0x100);
    EXPECT_EQ(image[0x20], 0x12);
    EXPECT_EQ(image[0x21], 0x34);
    EXPECT_EQ(image[0x22], 0xCC);
}

TEST(ApplyPatches, AddressAtOrBeyondTheLengthIsSkipped) {
    std::vector<std::uint8_t> image = Image(0x100);
    const std::vector<std::uint8_t> original = image;
    ApplyPatches(CheckedList({{0x100, 0xABCD}, {0xFFFFFF, 0xABCD}}), image.data(), 0x100);
    EXPECT_EQ(image, original);
}

TEST(ApplyPatches, PatchAtTheLastByteWritesIntoTheSlack) {
    std::vector<std::uint8_t> image = Image(0x100);
    ApplyPatches(CheckedList({{0xFF, 0xABCD}}), image.data(), 0x100);
    EXPECT_EQ(image[0xFE], 0x11);
    EXPECT_EQ(image[0xFF], 0xAB);
    EXPECT_EQ(image[0x100], 0xCD);
    EXPECT_EQ(image[0x101], 0x11);
}

TEST(ApplyPatches, NeverWritesPastTheGivenSpan) {
    std::vector<std::uint8_t> storage(0x101, 0x11);
    storage.back() = 0x77;
    ApplyPatches(CheckedList({{0xFF, 0xABCD}}), std::span(storage).first(0x100), 0x100);
    EXPECT_EQ(storage[0xFF], 0xAB);
    EXPECT_EQ(storage[0x100], 0x77);
}

TEST(ApplyPatches, DataWiderThan16BitsWritesItsLowWord) {
    PatchList list;
    list.AppendPatchRow(0x10, 0x12345, "");
    list.SetChecked(0, true);
    EXPECT_EQ(list.row(0).data, "12345");
    std::vector<std::uint8_t> image = Image(0x100);
    ApplyPatches(list, image.data(), 0x100);
    EXPECT_EQ(image[0x10], 0x23);
    EXPECT_EQ(image[0x11], 0x45);
}

}  // namespace
}  // namespace nuvrel
