// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// What cartridge dumpers need beyond the program's pages: digests and DAT names after a dump or
// write, verify without writing, the header checksum, header-sized dumps, larger reads and
// compact save files.
#include <fstream>

#include <nlohmann/json.hpp>

#include "cli_fixture.h"

namespace clitest {
namespace {

using CliDumper = CliTest;

std::vector<std::uint8_t> Programmed(velksim::SimServer& sim, std::size_t size) {
    std::vector<std::uint8_t> image = MakeGenesisImage(size, "DUMPED GAME");
    sim.setRomBytes(0, image);
    return image;
}

void WriteDat(const std::string& path, const std::string& game, const std::string& sha1) {
    std::ofstream(path) << "<?xml version=\"1.0\"?>\n<datafile><game name=\"" << game
                        << "\"><rom name=\"game.md\" size=\"1\" sha1=\"" << sha1
                        << "\"/></game></datafile>\n";
}

// The "SHA-1: ..." value a run printed.
std::string PrintedSha1(const std::string& out) {
    for (const std::string& line : Lines(out)) {
        if (line.rfind("SHA-1: ", 0) == 0) {
            return line.substr(7);
        }
    }
    return {};
}

TEST_F(CliDumper, AHeaderSizedDumpIsNamedByTheDatAndReportedAsJson) {
    velksim::SimServer& sim = StartDevice();
    const std::vector<std::uint8_t> image = Programmed(sim, 0x30400 + 10);
    WriteBytes(Path("image.bin"), image);
    CliRun run = RunCli({"rom", "verify", Path("image.bin")});  // prints the image's digest
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const std::string sha1 = PrintedSha1(run.out);
    ASSERT_EQ(sha1.size(), 40u) << run.out;
    WriteDat(Path("genesis.dat"), "Dumped Game (World)", sha1);

    run =
        RunCli({"rom", "read", Path("dump.bin"), "--size", "header", "--dat", Path("genesis.dat")});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    // The header ends 10 bytes into a kilobyte: the dump takes the whole kilobyte.
    std::vector<std::uint8_t> dump = ReadBytes(Path("dump.bin"));
    ASSERT_EQ(dump.size(), 0x30800u);
    EXPECT_TRUE(std::equal(image.begin(), image.end(), dump.begin()));
    EXPECT_NE(run.out.find("DAT: no match"), std::string::npos) << run.out;

    // The image itself matches; as JSON on stdout, the rest on stderr.
    run = RunCli({"rom", "verify", Path("image.bin"), "--dat", Path("genesis.dat"), "--json"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const auto json = nlohmann::json::parse(run.out);
    EXPECT_EQ(json["status"], "ROM matches the image");
    EXPECT_EQ(json["sha1"], sha1);
    EXPECT_EQ(json["dat"]["game"], "Dumped Game (World)");
    EXPECT_EQ(LastLine(run.err), "ROM matches the image");
}

TEST_F(CliDumper, VerifyReportsTheFirstDifferingByteAndWritesNothing) {
    velksim::SimServer& sim = StartDevice();
    const std::vector<std::uint8_t> image = Programmed(sim, 0x8000);
    WriteBytes(Path("image.bin"), image);
    const std::uint8_t changed[] = {static_cast<std::uint8_t>(image[0x1235] ^ 0x40)};
    sim.setRomBytes(0x1235, changed);
    sim.clearCommandLog();

    CliRun run = RunCli({"rom", "verify", Path("image.bin")});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(LastLine(run.err), "Verify error at: 0x001235");
    for (const auto& command : sim.commandLog()) {
        EXPECT_NE(command.name, "WriteSector");
        EXPECT_NE(command.name, "EraseSector");
    }
    // A patch that puts the device's byte into the image makes them match.
    char patch[32];
    std::snprintf(patch, sizeof patch, "001234:%.2X%.2X", image[0x1234], changed[0]);
    run = RunCli({"rom", "verify", Path("image.bin"), "--patch", patch});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(LastLine(run.out), "ROM matches the image");
}

TEST_F(CliDumper, TheHeaderChecksumIsCheckedAndFixedInACopy) {
    std::vector<std::uint8_t> image = MakeGenesisImage(0x4000, "SUMMED");
    WriteBytes(Path("good.bin"), image);
    CliRun run = RunCli({"rom", "header", Path("good.bin")});
    EXPECT_NE(run.out.find("Computed Check Sum:"), std::string::npos);
    EXPECT_NE(run.out.find("(matches)"), std::string::npos) << run.out;

    image[0x18E] ^= 0xFF;
    WriteBytes(Path("bad.bin"), image);
    run = RunCli({"rom", "header", Path("bad.bin"), "--json"});
    EXPECT_EQ(nlohmann::json::parse(run.out)["checksumMatches"], false);
    run = RunCli({"rom", "fix-checksum", Path("bad.bin"), Path("bad.bin")});
    EXPECT_EQ(run.exitCode, 2);
    run = RunCli({"rom", "fix-checksum", Path("bad.bin")});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(ReadBytes(Path("bad.bin")), image);  // never in place
    EXPECT_EQ(ReadBytes(Path("bad.fixed.bin")), ReadBytes(Path("good.bin")));
}

TEST_F(CliDumper, LargerReadsGiveTheSameDumpWithFewerCommands) {
    velksim::SimServer& sim = StartDevice();
    const std::vector<std::uint8_t> image = Programmed(sim, 0x10000);
    sim.clearCommandLog();
    const CliRun run =
        RunCli({"rom", "read", Path("dump.bin"), "--size", "header", "--chunk", "255"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(ReadBytes(Path("dump.bin")), image);
    std::vector<std::uint32_t> counts;
    for (const auto& command : sim.commandLog()) {
        if (command.name == "ReadSector") {
            counts.push_back(command.count);
        }
    }
    // 65536 bytes: four reads of 255 units and one of the 4 units left, after the queries.
    ASSERT_GE(counts.size(), 5u);
    EXPECT_EQ(std::vector<std::uint32_t>(counts.end() - 5, counts.end()),
              (std::vector<std::uint32_t>{255, 255, 255, 255, 4}));
    EXPECT_EQ(RunCli({"rom", "read", Path("x.bin"), "--chunk", "256"}).exitCode, 2);
}

TEST_F(CliDumper, CompactSaveFilesRoundTripThroughTheWindow) {
    velksim::SimServer& sim = StartDevice();
    std::vector<std::uint8_t> save(velksim::kSaveRamBytes);
    for (std::size_t i = 0; i < save.size(); ++i) {
        save[i] = static_cast<std::uint8_t>(i * 13 + 5);
    }
    sim.setSaveRam(save);
    ASSERT_EQ(RunCli({"sram", "read", "--format", "compact", Path("compact.srm")}).exitCode, 0);
    EXPECT_EQ(ReadBytes(Path("compact.srm")), save);

    ASSERT_EQ(RunCli({"sram", "clear"}).exitCode, 0);
    CliRun run = RunCli({"sram", "write", "--format", "compact", Path("compact.srm")});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(sim.saveRam(), save);

    ASSERT_EQ(RunCli({"sram", "read", Path("window.srm")}).exitCode, 0);
    const std::vector<std::uint8_t> window = ReadBytes(Path("window.srm"));
    ASSERT_EQ(window.size(), 2 * save.size());
    for (std::size_t i = 0; i < save.size(); ++i) {
        ASSERT_EQ(window[2 * i], 0);
        ASSERT_EQ(window[2 * i + 1], save[i]);
    }
    // One save byte more than the device holds does not fit.
    WriteBytes(Path("big.srm"), std::vector<std::uint8_t>(save.size() + 2, 1));
    EXPECT_EQ(RunCli({"sram", "write", "--format", "compact", Path("big.srm")}).exitCode, 2);
}

}  // namespace
}  // namespace clitest
