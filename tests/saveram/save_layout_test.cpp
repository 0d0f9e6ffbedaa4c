// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Telling save-file layouts apart and converting between them, over one table of cases.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "saveram/save_layout.h"

namespace nuvrel {
namespace {

constexpr std::uint32_t kRamSize = 32768;

std::vector<std::uint8_t> PatternedSave(std::size_t bytes) {
    std::vector<std::uint8_t> save(bytes);
    for (std::size_t i = 0; i < bytes; ++i) {
        save[i] = static_cast<std::uint8_t>(i * 7 + 3);
    }
    return save;
}

struct LayoutCase {
    SaveLayout layout;
    std::size_t saveBytes;
};

class EverySaveLayout : public ::testing::TestWithParam<LayoutCase> {};

TEST_P(EverySaveLayout, IsDetectedAndDecodesToTheSave) {
    const std::vector<std::uint8_t> save = PatternedSave(GetParam().saveBytes);
    const std::vector<std::uint8_t> file = EncodeSave(save, GetParam().layout);
    const SaveLayoutDetection found = DetectSaveLayout(file, kRamSize);
    ASSERT_EQ(found.verdict, SaveLayoutVerdict::Known) << found.text;
    EXPECT_EQ(found.layout, GetParam().layout) << found.text;
    EXPECT_EQ(found.saveBytes, save.size());
    EXPECT_EQ(DecodeSave(file, found.layout), save);
}

TEST_P(EverySaveLayout, ReadBackFromTheWindowGivesTheSameFile) {
    const std::vector<std::uint8_t> save = PatternedSave(GetParam().saveBytes);
    std::vector<std::uint8_t> window = EncodeSave(save, SaveLayout::Window);
    std::vector<std::uint8_t> file;
    // The device is read in kilobyte blocks, each converted on its own.
    for (std::size_t offset = 0; offset < window.size(); offset += 1024) {
        const std::size_t kept =
            WindowBlockToLayout(window.data() + offset, 1024, GetParam().layout);
        file.insert(file.end(), window.begin() + offset, window.begin() + offset + kept);
    }
    EXPECT_EQ(file, EncodeSave(save, GetParam().layout));
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, EverySaveLayout,
    ::testing::Values(LayoutCase{SaveLayout::Window, 32768}, LayoutCase{SaveLayout::Window, 12288},
                      LayoutCase{SaveLayout::Compact, 32768}, LayoutCase{SaveLayout::Compact, 8192},
                      LayoutCase{SaveLayout::OddFF, 32768}, LayoutCase{SaveLayout::Even00, 32768},
                      LayoutCase{SaveLayout::EvenFF, 32768},
                      LayoutCase{SaveLayout::Doubled, 32768}));

struct RefusalCase {
    const char* what;
    std::vector<std::uint8_t> file;
    SaveLayoutVerdict verdict;
};

class SaveRefusal : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(SaveRefusal, IsNotGuessedButTheDevicesOwnDumpIsKnown) {
    EXPECT_EQ(DetectSaveLayout(GetParam().file, kRamSize).verdict, GetParam().verdict)
        << GetParam().what;
}

std::vector<std::uint8_t> Repeated(std::size_t bytes, std::uint8_t value) {
    return std::vector<std::uint8_t>(bytes, value);
}

INSTANTIATE_TEST_SUITE_P(
    Files, SaveRefusal,
    ::testing::Values(
        // 32 KiB: a compact 32 KiB save, or a 16 KiB one with 0xFF filler.
        RefusalCase{"compact or filled", EncodeSave(PatternedSave(16384), SaveLayout::OddFF),
                    SaveLayoutVerdict::Ambiguous},
        RefusalCase{"blank 32 KiB of 0xFF", Repeated(32768, 0xFF), SaveLayoutVerdict::Ambiguous},
        // 0xFF in the even bytes, 0x00 in the odd ones: a save of 0x00 or one of 0xFF.
        RefusalCase{"filler both ways", EncodeSave(Repeated(32768, 0x00), SaveLayout::OddFF),
                    SaveLayoutVerdict::Ambiguous},
        // A window-sized dump is never reread as another layout: the device's own dump of an
        // erased save is also a blank save with 0xFF filler in the even bytes.
        RefusalCase{"erased save read from this device",
                    EncodeSave(Repeated(32768, 0xFF), SaveLayout::Window),
                    SaveLayoutVerdict::Known},
        // Smaller than the window, a window image is also a compact save of twice its size, and
        // the two would leave different bytes in the save RAM.
        RefusalCase{"16 KiB window", EncodeSave(PatternedSave(16384), SaveLayout::Window),
                    SaveLayoutVerdict::Ambiguous},
        RefusalCase{"blank 32 KiB of 0x00", Repeated(32768, 0x00), SaveLayoutVerdict::Ambiguous},
        // The device keeps only the odd bytes of its window, whatever the even ones hold.
        RefusalCase{"no pattern, window-sized", PatternedSave(65536), SaveLayoutVerdict::Known},
        RefusalCase{"not a power of two", PatternedSave(20000), SaveLayoutVerdict::Unknown},
        RefusalCase{"one word beyond the window", Repeated(65538, 0x00),
                    SaveLayoutVerdict::TooLarge},
        RefusalCase{"empty", {}, SaveLayoutVerdict::Unknown}));

// The answers offered are the readings that differ, each once and in plain words.
TEST(SaveLayoutChoices, NameEachDifferentReadingOnce) {
    const SaveLayoutDetection zeros = DetectSaveLayout(Repeated(32768, 0x00), kRamSize);
    EXPECT_EQ(zeros.choices,
              (std::vector<SaveLayoutChoice>{{SaveLayout::Window, "window image of a 16 KiB save"},
                                             {SaveLayout::Compact, "compact 32 KiB save"}}));
    EXPECT_EQ(zeros.text,
              "Can't tell the save file's layout: it reads as window image of a 16 KiB save or "
              "as compact 32 KiB save");
    const SaveLayoutDetection unpatterned = DetectSaveLayout(PatternedSave(65536), kRamSize);
    EXPECT_EQ(unpatterned.layout, SaveLayout::Window);
    EXPECT_EQ(unpatterned.text,
              "window image of a 32 KiB save, even bytes ignored: the device keeps only the odd "
              "bytes");
}

TEST(SaveLayoutNames, RoundTripAndSayWhatIsDone) {
    for (const SaveLayout layout : AllSaveLayouts()) {
        EXPECT_EQ(SaveLayoutFromName(SaveLayoutName(layout)), layout);
    }
    EXPECT_EQ(SaveLayoutFromName("auto"), std::nullopt);
    EXPECT_EQ(DetectSaveLayout(PatternedSave(32768), kRamSize).text,
              "compact 32 KiB save, expanded for the device");
}

}  // namespace
}  // namespace nuvrel
