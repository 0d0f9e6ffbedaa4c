// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// nuvrel-cli rom write / read / header against a virtual device: what the device holds afterwards,
// what the user sees, and the exit code.
#include <algorithm>
#include <fstream>

#include <nlohmann/json.hpp>

#include "cli_fixture.h"

namespace clitest {
namespace {

using CliRom = CliTest;

TEST_F(CliRom, WriteWithVerifyAndPatchesProgramsThePatchedImage) {
    velksim::SimServer& sim = StartDevice();
    std::vector<std::uint8_t> image = MakeGenesisImage(0x30000, "PATCHED GAME");
    WriteBytes(Path("game.bin"), image);
    {
        std::ofstream patches(Path("patches.txt"), std::ios::binary);
        patches << "001001:1234\r\n";
    }
    const CliRun run =
        RunCli({"rom", "write", Path("game.bin"), "--verify", "--patch", "000200:ABCD", "--patch",
                "1RZA-AAEA", "--patch-file", Path("patches.txt")});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(LastLine(run.out), "Write Complite");

    std::vector<std::uint8_t> expected = image;
    expected[0x200] = 0xAB;
    expected[0x201] = 0xCD;
    expected[0xAA80] = 0x00;
    expected[0xAA81] = 0xBB;
    expected[0x1001] = 0x12;
    expected[0x1002] = 0x34;
    EXPECT_EQ(sim.romBytes(0, image.size()), expected);
    EXPECT_EQ(sim.fileName(0), "game.bin");
    // The file on disk keeps its content.
    EXPECT_EQ(ReadBytes(Path("game.bin")), image);
}

TEST_F(CliRom, PlainOutputListsTheStepsBeforeTheOutcome) {
    StartDevice();
    WriteBytes(Path("game.bin"), MakeGenesisImage(0x8000, "STEPS"));
    const CliRun run = RunCli({"rom", "write", Path("game.bin")});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const auto lines = Lines(run.out);
    const auto has = [&lines](const std::string& line) {
        return std::find(lines.begin(), lines.end(), line) != lines.end();
    };
    EXPECT_TRUE(has("Analizing file")) << run.out;
    EXPECT_TRUE(has("Writing")) << run.out;
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "Write Complite"), 1) << run.out;
    EXPECT_EQ(lines.back(), "Write Complite");
}

TEST_F(CliRom, VerifyFailureAtAWeakCellExitsOneWithTheOffset) {
    velksim::DeviceConfig config;
    config.faults.weakCellByteAddress = 0x200;
    velksim::SimServer& sim = StartDevice(config);
    std::vector<std::uint8_t> image = MakeGenesisImage(0x4000, "WEAK");
    image[0x200] = 0x00;  // a cell that stays erased can never hold this
    WriteBytes(Path("game.bin"), image);
    const CliRun run = RunCli({"rom", "write", Path("game.bin"), "--verify"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(LastLine(run.err), "Verify error at: 0x000200") << run.err;
    EXPECT_EQ(sim.fileName(0), " ");
    EXPECT_EQ(sim.romBytes(0x400, 16), std::vector<std::uint8_t>(16, 0xFF));
}

TEST_F(CliRom, ImageLargerThanTheDeviceIsRefusedBeforeAnyWrite) {
    velksim::DeviceConfig config;
    config.model = 'e';  // 2 MiB
    velksim::SimServer& sim = StartDevice(config);
    WriteBytes(Path("big.bin"), MakeGenesisImage(0x200001, "BIG"));
    const CliRun run = RunCli({"rom", "write", Path("big.bin")});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(LastLine(run.err),
              "File Size is to large for attached device! Device Rom Size: 16MBit File Size: "
              "17MBit");
    EXPECT_EQ(sim.programmedBlocks(), 0u);
    EXPECT_EQ(sim.chipEraseCount(0), 0u);
}

TEST_F(CliRom, BadPatchesAreRefusedBeforeTheDeviceIsTouched) {
    velksim::SimServer& sim = StartDevice();
    WriteBytes(Path("game.bin"), MakeGenesisImage(0x1000, "SMALL"));
    {
        std::ofstream patches(Path("bad.txt"), std::ios::binary);
        patches << "000010:0001\r\n\r\n";
    }
    struct Case {
        std::vector<std::string> extra;
        std::string message;
    };
    const std::vector<Case> cases = {
        {{"--patch", "001000:0001"}, "Address not in ROM data Area! (001000:0001)"},
        {{"--patch", "10:zz"}, ""},
        {{"--patch", "NWFC-YAGW"}, "Address not in ROM data Area! (NWFC-YAGW)"},
        {{"--patch-file", Path("bad.txt")}, "Wrong file format! (" + Path("bad.txt") + ")"},
        {{"--patch-file", Path("none.txt")},
         "Can't create file for reading! (" + Path("none.txt") + ")"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> arguments = {"rom", "write", Path("game.bin")};
        arguments.insert(arguments.end(), c.extra.begin(), c.extra.end());
        const CliRun run = RunCli(arguments);
        EXPECT_EQ(run.exitCode, 2) << c.extra[1];
        EXPECT_EQ(Lines(run.err).size(), 1u) << run.err;
        if (!c.message.empty()) {
            EXPECT_EQ(LastLine(run.err), c.message);
        }
    }
    EXPECT_EQ(sim.programmedBlocks(), 0u);
}

TEST_F(CliRom, ReadBackWritesTheWholeRomRoundedToKilobytes) {
    velksim::SimServer& sim = StartDevice();  // model c: 0x400001 bytes
    const std::vector<std::uint8_t> image = MakeGenesisImage(0x20000, "READ BACK");
    sim.setRomBytes(0, image);
    const CliRun run = RunCli({"rom", "read", Path("dump.bin")});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(LastLine(run.out), "Read Complite");
    const std::vector<std::uint8_t> dump = ReadBytes(Path("dump.bin"));
    ASSERT_EQ(dump.size(), 0x400000u);
    EXPECT_TRUE(std::equal(image.begin(), image.end(), dump.begin()));
}

TEST_F(CliRom, ReadBackFromAModelWithoutAKnownRomSizeFailsAndKeepsTheOldDump) {
    velksim::DeviceConfig config;
    config.model = 'x';
    StartDevice(config);
    const std::vector<std::uint8_t> oldDump(4096, 0x5A);
    WriteBytes(Path("dump.bin"), oldDump);
    const CliRun run = RunCli({"rom", "read", Path("dump.bin")});
    EXPECT_EQ(run.exitCode, 1) << run.out;
    EXPECT_EQ(LastLine(run.err), "The attached device reports no ROM size") << run.err;
    EXPECT_EQ(ReadBytes(Path("dump.bin")), oldDump);
}

TEST_F(CliRom, ReadBackIntoAMissingFolderFailsAndCreatesNothing) {
    StartDevice();
    const CliRun run = RunCli({"rom", "read", Path("no/such/dump.bin")});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(LastLine(run.err), "Can't create file: " + Path("no/such/dump.bin")) << run.err;
    EXPECT_FALSE(std::filesystem::exists(Path("no")));
}

TEST_F(CliRom, DeviceHeaderShowsTheProgrammedImage) {
    velksim::SimServer& sim = StartDevice();
    const std::vector<std::uint8_t> image = MakeGenesisImage(0x10000, "DEVICE HEADER");
    sim.setRomBytes(0, image);
    const CliRun run = RunCli({"rom", "header", "--device", "--json"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const nlohmann::json json = nlohmann::json::parse(run.out);
    EXPECT_EQ(json["systemName"], "SEGA MEGA DRIVE ");
    EXPECT_EQ(json["fileSize"], "Not applicable");
    EXPECT_EQ(json["romRange"], "0x000000(0)::0x00ffff(65535)");
    EXPECT_EQ(json["domesticName"].get<std::string>().substr(0, 13), "DEVICE HEADER");
}

}  // namespace
}  // namespace clitest

namespace clitest {
namespace {

TEST_F(CliRom, UnplugDuringReadBackFailsAndKeepsTheOldDump) {
    velksim::DeviceConfig config;
    config.faults.disconnectAfterTransfers = 200;
    StartDevice(config);
    const std::vector<std::uint8_t> oldDump(4096, 0x5A);
    WriteBytes(Path("dump.bin"), oldDump);
    const CliRun run = RunCli({"rom", "read", Path("dump.bin")});
    EXPECT_EQ(run.exitCode, 4) << run.out;
    EXPECT_EQ(LastLine(run.err).rfind("Read error at: 0x", 0), 0u) << run.err;
    EXPECT_EQ(ReadBytes(Path("dump.bin")), oldDump);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder_),
                            std::filesystem::directory_iterator()),
              1);
}

TEST_F(CliRom, UnplugDuringWriteIsAFailureNotASuccess) {
    velksim::DeviceConfig config;
    config.faults.disconnectAfterTransfers = 300;
    StartDevice(config);
    WriteBytes(Path("game.bin"), MakeGenesisImage(0x40000, "UNPLUGGED"));
    const CliRun run = RunCli({"rom", "write", Path("game.bin"), "--verify"});
    EXPECT_EQ(run.exitCode, 4) << run.out;
    EXPECT_EQ(run.out.find("Write Complite"), std::string::npos) << run.out;
    EXPECT_EQ(Lines(run.err).size(), 1u) << run.err;
}

}  // namespace
}  // namespace clitest

namespace clitest {
namespace {

TEST_F(CliRom, FastEraseErasesTheWholeChipOnce) {
    velksim::SimServer& sim = StartDevice();
    const std::vector<std::uint8_t> image = MakeGenesisImage(0x10000, "FAST");
    WriteBytes(Path("game.bin"), image);
    const CliRun run = RunCli({"rom", "write", Path("game.bin"), "--fast-erase"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.out.find("Erasing ROM0"), std::string::npos) << run.out;
    EXPECT_EQ(sim.chipEraseCount(0), 1u);
    EXPECT_EQ(sim.romBytes(0, image.size()), image);
}

}  // namespace
}  // namespace clitest

namespace clitest {
namespace {

TEST_F(CliRom, OnATerminalProgressIsOneRedrawnLineEndingInTheOutcome) {
    StartDevice();
    WriteBytes(Path("game.bin"), MakeGenesisImage(0x20000, "TERMINAL"));
    const CliRun run = RunCliOnTerminal({"rom", "write", Path("game.bin"), "--verify"});
    ASSERT_EQ(run.exitCode, 0) << run.out;
    // Redraws return to the start of the line instead of starting new ones.
    EXPECT_NE(run.out.find("\r\x1b[K"), std::string::npos);
    EXPECT_NE(run.out.find("Writing"), std::string::npos);
    EXPECT_NE(run.out.find("100%"), std::string::npos);
    EXPECT_NE(run.out.find("ETA "), std::string::npos);
    EXPECT_EQ(LastLine(run.out), "Write Complite\r");  // the terminal turns LF into CR LF
}

}  // namespace
}  // namespace clitest

namespace clitest {
namespace {

TEST_F(CliRom, ChangedOnlyRewritesTheChangedSectorWithPatchesAndSaysHowMany) {
    velksim::SimServer& sim = StartDevice();
    std::vector<std::uint8_t> image = MakeGenesisImage(0x30000, "CHANGED");
    WriteBytes(Path("game.bin"), image);
    ASSERT_EQ(RunCli({"rom", "write", Path("game.bin")}).exitCode, 0);
    image[0x21000] ^= 0xFF;
    WriteBytes(Path("game.bin"), image);
    sim.clearCommandLog();

    // The patch lands in a sector the first write left without it: two sectors differ.
    const CliRun run = RunCli(
        {"rom", "write", Path("game.bin"), "--changed-only", "--verify", "--patch", "001000:ABCD"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.out.find("Sectors rewritten: 2 of "), std::string::npos) << run.out;
    EXPECT_EQ(LastLine(run.out), "Write Complite");
    image[0x1000] = 0xAB;
    image[0x1001] = 0xCD;
    EXPECT_EQ(sim.romBytes(0, image.size()), image);
    EXPECT_EQ(sim.fileName(0), "game.bin");
}

TEST_F(CliRom, ChangedOnlyOptionsRefuseWhatCannotGoTogether) {
    StartDevice();
    WriteBytes(Path("game.bin"), MakeGenesisImage(0x8000, "OPTIONS"));
    for (const std::vector<std::string>& extra :
         {std::vector<std::string>{"--changed-only", "--fast-erase"},
          std::vector<std::string>{"--watch"}, std::vector<std::string>{"--compare-chunk", "32"}}) {
        std::vector<std::string> args{"rom", "write", Path("game.bin")};
        args.insert(args.end(), extra.begin(), extra.end());
        EXPECT_EQ(RunCli(args).exitCode, 2) << extra.front();
    }
}

}  // namespace
}  // namespace clitest

namespace clitest {
namespace {

// The loop a homebrew developer runs beside their build: every settled change of the image is
// programmed, only where it differs, and Ctrl-C ends the watch.
TEST_F(CliRom, WatchReprogramsEachChangeOfTheImageUntilCtrlC) {
    velksim::SimServer& sim = StartDevice();
    const std::vector<std::uint8_t> image = MakeGenesisImage(0x30000, "WATCHED");
    std::vector<std::uint8_t> changed = image;
    changed[0x21000] ^= 0xFF;
    WriteBytes(Path("game.bin"), image);

    // The name is stored, then the first block read once more: the run has sent its last command.
    auto runClosed = [&] {
        const std::vector<velksim::CommandRecord> log = sim.commandLog();
        const auto named = std::find_if(log.begin(), log.end(), [](const auto& record) {
            return record.name == "WriteFileName";
        });
        return std::any_of(named, log.end(), [](const auto& record) {
            return record.name == "ReadSector" && record.address == 0;
        });
    };
    bool changedOnDisk = false;
    const CliRun run =
        RunCliInterrupted({"rom", "write", Path("game.bin"), "--changed-only", "--watch"}, [&] {
            if (changedOnDisk) {
                return runClosed();
            }
            if (runClosed()) {
                sim.clearCommandLog();
                WriteBytes(Path("game.bin"), changed);
                changedOnDisk = true;
            }
            return false;
        });

    EXPECT_EQ(run.exitCode, 130) << run.out << run.err;
    EXPECT_NE(run.out.find("Watching "), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("Sectors rewritten: 1 of "), std::string::npos) << run.out;
    EXPECT_EQ(sim.romBytes(0, changed.size()), changed);
    const std::vector<velksim::CommandRecord> log = sim.commandLog();
    EXPECT_EQ(std::count_if(log.begin(), log.end(),
                            [](const auto& record) { return record.name == "EraseSector"; }),
              1);
}

}  // namespace
}  // namespace clitest

namespace clitest {
namespace {

// What the device must hold for a file: its plain image with its patches, however the file is
// laid out. Every path that programs or compares takes exactly these bytes.
struct PreparedCase {
    const char* name;
    std::vector<std::uint8_t> (*file)(const std::vector<std::uint8_t>& plain);
    std::vector<std::string> patches;
};

std::vector<std::uint8_t> ByteSwapped(const std::vector<std::uint8_t>& plain) {
    std::vector<std::uint8_t> swapped = plain;
    for (std::size_t i = 0; i + 1 < swapped.size(); i += 2) {
        std::swap(swapped[i], swapped[i + 1]);
    }
    return swapped;
}

class EveryWritePath : public CliTest, public ::testing::WithParamInterface<PreparedCase> {};

TEST_P(EveryWritePath, ProgramsAndComparesThePlainPatchedImage) {
    velksim::SimServer& sim = StartDevice();
    const std::vector<std::uint8_t> plain = MakeGenesisImage(0x20000, "ONE IMAGE");
    std::vector<std::uint8_t> expected = plain;
    if (!GetParam().patches.empty()) {
        expected[0x300] = 0x4E;
        expected[0x301] = 0x71;
    }
    WriteBytes(Path("game.img"), GetParam().file(plain));
    std::vector<std::string> patchArgs;
    for (const std::string& patch : GetParam().patches) {
        patchArgs.insert(patchArgs.end(), {"--patch", patch});
    }
    const auto run = [&](std::vector<std::string> args) {
        args.insert(args.end(), patchArgs.begin(), patchArgs.end());
        return RunCli(args);
    };

    CliRun full = run({"rom", "write", Path("game.img"), "--verify"});
    ASSERT_EQ(full.exitCode, 0) << full.err;
    EXPECT_EQ(sim.romBytes(0, plain.size()), expected);

    // Another image first, so that the changed-sector write has something to change.
    WriteBytes(Path("other.bin"), MakeGenesisImage(0x20000, "ANOTHER IMAGE"));
    ASSERT_EQ(RunCli({"rom", "write", Path("other.bin")}).exitCode, 0);
    CliRun changed = run({"rom", "write", Path("game.img"), "--changed-only", "--verify"});
    ASSERT_EQ(changed.exitCode, 0) << changed.err;
    EXPECT_EQ(sim.romBytes(0, plain.size()), expected);

    CliRun verify = run({"rom", "verify", Path("game.img")});
    EXPECT_EQ(verify.exitCode, 0) << verify.out << verify.err;
    EXPECT_EQ(LastLine(verify.out), "ROM matches the image");
}

INSTANTIATE_TEST_SUITE_P(Files, EveryWritePath,
                         ::testing::Values(PreparedCase{"Smd", &SmdFile, {}},
                                           PreparedCase{"ByteSwapped", &ByteSwapped, {}},
                                           PreparedCase{"SmdPatched", &SmdFile, {"000300:4E71"}},
                                           PreparedCase{
                                               "PlainPatched",
                                               [](const std::vector<std::uint8_t>& p) { return p; },
                                               {"000300:4E71"}}),
                         [](const auto& param) { return std::string(param.param.name); });

// Whole blocks only would drop the image's last bytes and still say "Write Complite".
TEST_F(CliRom, AnImageEndingInsideABlockReachesTheDeviceWhole) {
    velksim::SimServer& sim = StartDevice();
    std::vector<std::uint8_t> image = MakeGenesisImage(262244, "ODD SIZE");
    image.back() = 0x42;
    WriteBytes(Path("odd.bin"), image);

    const CliRun run = RunCli({"rom", "write", Path("odd.bin"), "--verify"});

    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_TRUE(Contains(run.out, "Last block filled up with 412 bytes of 0xFF")) << run.out;
    EXPECT_EQ(sim.romBytes(0, image.size()), image);
    EXPECT_EQ(sim.romBytes(262244, 412), std::vector<std::uint8_t>(412, 0xFF));
    EXPECT_EQ(RunCli({"rom", "verify", Path("odd.bin")}).exitCode, 0);
}

// Flash no sector table describes cannot be erased; programming it unerased leaves the AND of
// the old and the new image and a verify-less "Write Complite".
TEST_F(CliRom, AnImageOnAChipWithoutASectorTableIsRefusedBeforeAnyErase) {
    velksim::DeviceConfig config;
    config.model = 'm';
    config.chips = {velksim::kChip16MbitA, 0x12345678u};
    velksim::SimServer& sim = StartDevice(config);
    WriteBytes(Path("old.bin"), MakeGenesisImage(0x800, "OLD"));
    ASSERT_EQ(RunCli({"rom", "write", Path("old.bin")}).exitCode, 0);
    WriteBytes(Path("big.bin"), MakeGenesisImage(0x400000, "BIG"));
    sim.clearCommandLog();

    for (const char* erase : {"--verify", "--fast-erase"}) {
        const CliRun run = RunCli({"rom", "write", Path("big.bin"), erase});

        EXPECT_EQ(run.exitCode, 3) << erase;
        EXPECT_TRUE(Contains(run.err,
                             "No sector table for flash chip 1 (ID 12345678): image bytes "
                             "0x200000-0x3FFFFF can't be erased"))
            << run.err;
        EXPECT_FALSE(Contains(run.out, "Write Complite"));
        EXPECT_EQ(sim.fileName(0), "old.bin");
    }
    for (const auto& command : sim.commandLog()) {
        EXPECT_NE(command.name, "EraseSector");
        EXPECT_NE(command.name, "WriteSector");
    }
}

// A device whose last write stopped half way carries no name, and says so.
TEST_F(CliRom, ABlankStoredNameIsShownAsNoName) {
    velksim::SimServer& sim = StartDevice();
    WriteBytes(Path("game.bin"), MakeGenesisImage(0x8000, "CUT OFF"));
    ASSERT_EQ(RunCli({"rom", "write", Path("game.bin")}).exitCode, 0);
    velksim::FaultOptions faults;
    faults.disconnectAfterTransfers = 40;
    sim.setFaults(faults);
    EXPECT_EQ(RunCli({"rom", "write", Path("game.bin")}).exitCode, 4);
    sim.setFaults({});
    ASSERT_TRUE(sim.start());  // plugged in again
    ASSERT_EQ(sim.fileName(0), " ");

    const CliRun read = RunCli({"rom", "read", Path("dump.bin")});
    const CliRun info = RunCli({"info"});

    EXPECT_TRUE(Contains(read.out,
                         "stored name \"no name (the last write did not complete or the "
                         "memory was cleared)\""))
        << read.out << read.err;
    EXPECT_TRUE(Contains(info.out,
                         "ROM image name:                               no name (the last "
                         "write did not complete or the memory was cleared)"))
        << info.out;
}

}  // namespace
}  // namespace clitest
