// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The recipes of docs/recipes.md, command for command, against a virtual device.
#include <fstream>

#include "cli_fixture.h"

namespace clitest {
namespace {

using Recipes = CliTest;

std::string Sha1Line(const std::string& out) {
    for (const std::string& line : Lines(out)) {
        if (line.rfind("SHA-1: ", 0) == 0) {
            return line.substr(7);
        }
    }
    return {};
}

TEST_F(Recipes, BackUpACartridge) {
    velksim::SimServer& sim = StartDevice();
    const std::vector<std::uint8_t> game = MakeGenesisImage(0x50000, "SONIC THE HEDGEHOG");
    sim.setRomBytes(0, game);
    std::vector<std::uint8_t> save(velksim::kSaveRamBytes, 0x42);
    sim.setSaveRam(save);

    ASSERT_EQ(RunCli({"info"}).exitCode, 0);
    CliRun run = RunCli({"rom", "read", "--size", "header", Path("sonic.md")});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(ReadBytes(Path("sonic.md")), game);
    run = RunCli({"rom", "header", Path("sonic.md")});
    EXPECT_TRUE(Contains(run.out, "(matches)")) << run.out;
    ASSERT_EQ(RunCli({"sram", "read", "--format", "compact", Path("sonic.srm")}).exitCode, 0);
    EXPECT_EQ(ReadBytes(Path("sonic.srm")), save);
}

TEST_F(Recipes, CheckADumpAgainstADat) {
    velksim::SimServer& sim = StartDevice();
    const std::vector<std::uint8_t> game = MakeGenesisImage(0x40000, "SONIC THE HEDGEHOG");
    sim.setRomBytes(0, game);
    WriteBytes(Path("sonic.md"), game);
    CliRun run = RunCli({"rom", "verify", Path("sonic.md")});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    std::ofstream(Path("genesis.dat"))
        << "<?xml version=\"1.0\"?><datafile><game name=\"Sonic The Hedgehog (USA, Europe)\">"
        << "<rom name=\"sonic.md\" size=\"262144\" sha1=\"" << Sha1Line(run.out)
        << "\"/></game></datafile>";

    run =
        RunCli({"rom", "read", "--size", "header", Path("dump.md"), "--dat", Path("genesis.dat")});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_TRUE(Contains(run.out, "DAT: Sonic The Hedgehog (USA, Europe) (sonic.md)")) << run.out;
    run = RunCli({"rom", "verify", Path("sonic.md"), "--dat", Path("genesis.dat")});
    EXPECT_EQ(LastLine(run.out), "ROM matches the image");
}

TEST_F(Recipes, MoveASaveToAnEmulatorAndBack) {
    velksim::SimServer& sim = StartDevice();
    std::vector<std::uint8_t> save(velksim::kSaveRamBytes);
    for (std::size_t i = 0; i < save.size(); ++i) {
        save[i] = static_cast<std::uint8_t>(i ^ 0x5A);
    }
    sim.setSaveRam(save);
    const std::string file = Path("Sonic 3.srm");
    ASSERT_EQ(RunCli({"sram", "read", "--format", "compact", file}).exitCode, 0);
    // The emulator plays on: one save byte changes.
    std::vector<std::uint8_t> played = ReadBytes(file);
    played[100] ^= 0xFF;
    WriteBytes(file, played);
    const CliRun run = RunCli({"sram", "write", "--format", "compact", file});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(sim.saveRam(), played);
}

TEST_F(Recipes, AnEmulatorSaveToTheCartridgeAndBack) {
    velksim::SimServer& sim = StartDevice();
    std::vector<std::uint8_t> save(velksim::kSaveRamBytes);
    for (std::size_t i = 0; i < save.size(); ++i) {
        save[i] = static_cast<std::uint8_t>(i * 3 + 1);
    }
    WriteBytes(Path("game.srm"), save);
    CliRun run = RunCli({"sram", "write", Path("game.srm")});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_TRUE(Contains(run.out, "Save file: compact 32 KiB save, expanded for the device"))
        << run.out;
    EXPECT_EQ(sim.saveRam(), save);
    ASSERT_EQ(RunCli({"sram", "read", "--format", "compact", Path("game.srm")}).exitCode, 0);
    EXPECT_EQ(ReadBytes(Path("game.srm")), save);
    run = RunCli({"sram", "convert", Path("game.srm"), Path("game.window.srm"), "--to", "window"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(ReadBytes(Path("game.window.srm")).size(), 2 * save.size());
}

TEST_F(Recipes, ProgrammingASmdFile) {
    velksim::SimServer& sim = StartDevice();
    const std::vector<std::uint8_t> game = MakeGenesisImage(0x20000, "STREETS OF RAGE");
    WriteBytes(Path("sor.smd"), SmdFile(game));
    CliRun run = RunCli({"rom", "write", Path("sor.smd"), "--verify"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_TRUE(Contains(run.out, "SMD image (interleaved), de-interleaved in memory")) << run.out;
    EXPECT_TRUE(Contains(run.out, "STREETS OF RAGE")) << run.out;
    EXPECT_EQ(sim.romBytes(0, game.size()), game);
    run = RunCli({"rom", "verify", Path("sor.smd")});
    EXPECT_EQ(LastLine(run.out), "ROM matches the image") << run.out << run.err;
    run = RunCli({"rom", "header", Path("sor.smd")});
    EXPECT_TRUE(Contains(run.out, "STREETS OF RAGE")) << run.out;
    EXPECT_TRUE(Contains(run.out, "(matches)")) << run.out;
    ASSERT_EQ(RunCli({"rom", "convert", Path("sor.smd"), Path("sor.bin")}).exitCode, 0);
    EXPECT_EQ(ReadBytes(Path("sor.bin")), game);
    EXPECT_EQ(ReadBytes(Path("sor.smd")), SmdFile(game));

    // A byte-swapped image is programmed as the plain one too.
    std::vector<std::uint8_t> swapped = game;
    for (std::size_t i = 0; i + 1 < swapped.size(); i += 2) {
        std::swap(swapped[i], swapped[i + 1]);
    }
    WriteBytes(Path("swapped.bin"), swapped);
    ASSERT_EQ(RunCli({"rom", "verify", Path("swapped.bin")}).exitCode, 0);
    // A plain image has nothing to convert.
    EXPECT_EQ(RunCli({"rom", "convert", Path("sor.bin"), Path("again.bin")}).exitCode, 2);
}

TEST_F(Recipes, ProgramAHackedImageWhoseChecksumIsOff) {
    velksim::SimServer& sim = StartDevice();
    std::vector<std::uint8_t> hack = MakeGenesisImage(0x20000, "HACK");
    hack[0x4000] ^= 0x10;  // changed after the sum was taken
    WriteBytes(Path("hack.bin"), hack);
    EXPECT_TRUE(Contains(RunCli({"rom", "header", Path("hack.bin")}).out, "(differs)"));
    ASSERT_EQ(RunCli({"rom", "fix-checksum", Path("hack.bin")}).exitCode, 0);
    EXPECT_EQ(ReadBytes(Path("hack.bin")), hack);
    const CliRun run = RunCli({"rom", "write", Path("hack.fixed.bin"), "--verify"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(sim.romBytes(0, hack.size()), ReadBytes(Path("hack.fixed.bin")));
    EXPECT_TRUE(Contains(RunCli({"rom", "header", "--device"}).out, "HACK"));
}

}  // namespace
}  // namespace clitest
