// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Exit codes and messages that need no device: usage, bad input, the Game Genie commands, and
// every device command without a device.
#include "cli_fixture.h"

namespace clitest {
namespace {

using CliUsage = CliTest;

TEST_F(CliUsage, MissingOrUnknownCommandIsAUsageErrorOnOneLine) {
    for (const std::vector<std::string>& arguments :
         std::vector<std::vector<std::string>>{{},
                                               {"frobnicate"},
                                               {"rom"},
                                               {"rom", "write"},
                                               {"gg", "encode", "12"},
                                               {"compat", "--set", "x"},
                                               {"rom", "header"}}) {
        const CliRun run = RunCli(arguments);
        EXPECT_EQ(run.exitCode, 2) << run.err;
        EXPECT_EQ(Lines(run.err).size(), 1u) << run.err;
        EXPECT_TRUE(run.out.empty()) << run.out;
    }
}

TEST_F(CliUsage, HelpSucceeds) {
    const CliRun run = RunCli({"--help"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_NE(run.out.find("rom"), std::string::npos);
}

TEST_F(CliUsage, GameGenieEncodePrintsTheCode) {
    CliRun run = RunCli({"gg", "encode", "00AA80", "00BB"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "1RZA-AAEA\n");
    run = RunCli({"gg", "encode", "0x150000", "0"});
    EXPECT_EQ(run.out, "AAAB-LAAA\n");
}

TEST_F(CliUsage, GameGenieDecodePrintsAddressAndData) {
    CliRun run = RunCli({"gg", "decode", "NWFC-YAGW"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "2A8AD2:0064\n");
    run = RunCli({"gg", "decode", "nwfcyagw"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "2A8AD2:0064\n");
}

TEST_F(CliUsage, MalformedGameGenieInputIsRefused) {
    for (const std::vector<std::string>& arguments : std::vector<std::vector<std::string>>{
             {"gg", "decode", "NWFC-YAGU"},  // U is not a code letter
             {"gg", "decode", "NWF-CYAGW"},
             {"gg", "decode", "NWFC-YAG"},
             {"gg", "encode", "1000000", "0"},  // more than 24 bits
             {"gg", "encode", "AA80", "1BEEF"},
             {"gg", "encode", "zz", "0"}}) {
        const CliRun run = RunCli(arguments);
        EXPECT_EQ(run.exitCode, 2) << arguments[2];
        EXPECT_EQ(Lines(run.err).size(), 1u) << run.err;
        EXPECT_TRUE(run.out.empty());
    }
}

TEST_F(CliUsage, ImageThatCannotBeOpenedIsBadInput) {
    const CliRun run = RunCli({"rom", "write", Path("missing.bin")});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_NE(run.err.find("missing.bin"), std::string::npos) << run.err;
}

TEST_F(CliUsage, EveryDeviceCommandWithoutADeviceExitsThree) {
    for (const std::vector<std::string>& arguments : EveryDeviceCommand()) {
        const CliRun run = RunCli(arguments);
        EXPECT_EQ(run.exitCode, 3) << arguments[0] << " " << run.err;
        EXPECT_EQ(LastLine(run.err), "Device Not Detected!") << run.err;
    }
    EXPECT_FALSE(std::filesystem::exists(Path("out.bin")));
}

TEST_F(CliUsage, HeaderOfAnImageFile) {
    WriteBytes(Path("game.bin"), MakeGenesisImage(0x40000, "NUVREL TEST"));
    const CliRun run = RunCli({"rom", "header", Path("game.bin")});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.out.find("SEGA MEGA DRIVE"), std::string::npos);
    EXPECT_NE(run.out.find("NUVREL TEST"), std::string::npos);
    EXPECT_NE(run.out.find("0x000000(0)::0x03ffff(262143)"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("0x00040000, 2MBit"), std::string::npos) << run.out;
}

TEST_F(CliUsage, HeaderOfAFileTooShortIsBadInput) {
    WriteBytes(Path("tiny.bin"), std::vector<std::uint8_t>(100, 0));
    const CliRun run = RunCli({"rom", "header", Path("tiny.bin")});
    EXPECT_EQ(run.exitCode, 2);
}

}  // namespace
}  // namespace clitest

namespace clitest {
namespace {

TEST_F(CliUsage, ControlCharactersFromAHeaderNeverReachTheTerminal) {
    std::vector<std::uint8_t> image = MakeGenesisImage(0x1000, "EVIL");
    const std::string escape = "\x1b]0;owned\x07\x1b[2J";
    std::copy(escape.begin(), escape.end(), image.begin() + 0x124);
    WriteBytes(Path("evil.bin"), image);
    CliRun run = RunCli({"rom", "header", Path("evil.bin")});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out.find('\x1b'), std::string::npos);
    EXPECT_EQ(run.out.find('\x07'), std::string::npos);
    EXPECT_NE(run.out.find("EVIL.]0;owned..[2J"), std::string::npos) << run.out;
    run = RunCli({"rom", "header", Path("evil.bin"), "--json"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out.find('\x1b'), std::string::npos);
}

}  // namespace
}  // namespace clitest
