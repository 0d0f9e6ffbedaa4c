// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Save files in every layout through the device and back, and the files that are refused.
#include "cli_fixture.h"

namespace clitest {
namespace {

std::vector<std::uint8_t> TestSave() {
    std::vector<std::uint8_t> save(velksim::kSaveRamBytes);
    for (std::size_t i = 0; i < save.size(); ++i) {
        save[i] = static_cast<std::uint8_t>(i * 29 + 11);
    }
    return save;
}

// The layout's name and how it keeps a save of velk-sim's size.
struct LayoutCase {
    const char* name;
    std::vector<std::uint8_t> (*encode)(const std::vector<std::uint8_t>&);
};

std::vector<std::uint8_t> Words(const std::vector<std::uint8_t>& save, bool atOdd, int filler) {
    std::vector<std::uint8_t> file;
    for (const std::uint8_t byte : save) {
        const auto other = static_cast<std::uint8_t>(filler < 0 ? byte : filler);
        file.push_back(atOdd ? other : byte);
        file.push_back(atOdd ? byte : other);
    }
    return file;
}

const LayoutCase kLayouts[] = {
    {"window", [](const std::vector<std::uint8_t>& s) { return Words(s, true, 0x00); }},
    {"compact", [](const std::vector<std::uint8_t>& s) { return s; }},
    {"odd-ff", [](const std::vector<std::uint8_t>& s) { return Words(s, true, 0xFF); }},
    {"even-00", [](const std::vector<std::uint8_t>& s) { return Words(s, false, 0x00); }},
    {"even-ff", [](const std::vector<std::uint8_t>& s) { return Words(s, false, 0xFF); }},
    {"doubled", [](const std::vector<std::uint8_t>& s) { return Words(s, true, -1); }},
};

class SaveLayoutRoundTrip : public CliTest, public ::testing::WithParamInterface<LayoutCase> {};

TEST_P(SaveLayoutRoundTrip, WritesTheSaveAndReadsTheSameFile) {
    velksim::SimServer& sim = StartDevice();
    const std::vector<std::uint8_t> save = TestSave();
    const std::vector<std::uint8_t> file = GetParam().encode(save);
    WriteBytes(Path("in.srm"), file);

    CliRun run = RunCli({"sram", "write", Path("in.srm")});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(sim.saveRam(), save);
    run = RunCli({"sram", "read", "--format", GetParam().name, Path("out.srm")});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(ReadBytes(Path("out.srm")), file);
    // Converting without a device gives the same bytes as the device's window read.
    ASSERT_EQ(RunCli({"sram", "convert", Path("in.srm"), Path("w.srm"), "--to", "window"}).exitCode,
              0);
    EXPECT_EQ(ReadBytes(Path("w.srm")), Words(save, true, 0x00));
    EXPECT_EQ(ReadBytes(Path("in.srm")), file);
}

INSTANTIATE_TEST_SUITE_P(Layouts, SaveLayoutRoundTrip, ::testing::ValuesIn(kLayouts),
                         [](const auto& param) {
                             std::string name = param.param.name;
                             std::erase(name, '-');
                             return name;
                         });

TEST_F(CliTest, AnAmbiguousOrOversizedSaveIsRefusedAndNothingIsWritten) {
    velksim::SimServer& sim = StartDevice();
    const std::vector<std::uint8_t> before = TestSave();
    sim.setSaveRam(before);
    // Erased 0xFF: a compact 32 KiB save, or a 16 KiB one with 0xFF filler.
    WriteBytes(Path("blank.srm"), std::vector<std::uint8_t>(32768, 0xFF));
    // velk-sim reports 32769, so its window takes 65538 bytes.
    WriteBytes(Path("big.srm"), std::vector<std::uint8_t>(65540, 0x00));
    for (const char* name : {"blank.srm", "big.srm"}) {
        const CliRun run = RunCli({"sram", "write", Path(name)});
        EXPECT_EQ(run.exitCode, 2) << name;
        EXPECT_EQ(sim.saveRam(), before) << name;
    }
    EXPECT_NE(RunCli({"sram", "write", Path("blank.srm")}).err.find("--format"), std::string::npos);
    // Named, the blank file is what the user says it is.
    const CliRun named = RunCli({"sram", "write", "--format", "compact", Path("blank.srm")});
    EXPECT_EQ(named.exitCode, 0) << named.out << named.err;
    EXPECT_EQ(sim.saveRam(), std::vector<std::uint8_t>(before.size(), 0xFF));
}

// A blank emulator save reads as a 16 KiB window image or a compact 32 KiB save; the two leave
// different bytes in the save RAM, so the user is told which names fit.
TEST_F(CliTest, ASaveReadingTwoWaysNamesTheLayoutsThatFitAndWritesNothing) {
    velksim::SimServer& sim = StartDevice();
    const std::vector<std::uint8_t> before = TestSave();
    sim.setSaveRam(before);
    WriteBytes(Path("blank.srm"), std::vector<std::uint8_t>(32768, 0x00));

    const CliRun run = RunCli({"sram", "write", Path("blank.srm")});

    EXPECT_EQ(run.exitCode, 2);
    EXPECT_NE(run.err.find("name its layout: --format window or --format compact"),
              std::string::npos)
        << run.err;
    EXPECT_EQ(sim.saveRam(), before);
}

// The device keeps only the odd bytes of its window: a dump-sized file is its window image,
// whatever other programs left in the even bytes.
TEST_F(CliTest, AWindowSizedSaveWithoutFillerIsWrittenAsTheWindowImage) {
    velksim::SimServer& sim = StartDevice();
    std::vector<std::uint8_t> file(65536);
    for (std::size_t i = 0; i < file.size(); ++i) {
        file[i] = static_cast<std::uint8_t>(i * 13 + 5);
    }
    WriteBytes(Path("odd.srm"), file);

    const CliRun run = RunCli({"sram", "write", Path("odd.srm")});

    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.out.find("even bytes ignored: the device keeps only the odd bytes"),
              std::string::npos)
        << run.out;
    const std::vector<std::uint8_t> held = sim.saveRam();
    for (std::size_t k = 0; k < file.size() / 2; ++k) {
        ASSERT_EQ(held[k], file[2 * k + 1]) << k;
    }
}

}  // namespace
}  // namespace clitest
