// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// A dump that says what it is: the size rom read chose and why, as text and as JSON, and a
// trimmed dump that replaces an older one only once it is complete.
#include <nlohmann/json.hpp>

#include "cli_fixture.h"

namespace clitest {
namespace {

struct DumpSizeCase {
    const char* option;
    std::size_t expectedSize;  // for a 320 KiB game (header end included)
    const char* reasonStart;
};

class DumpSize : public CliTest, public ::testing::WithParamInterface<DumpSizeCase> {};

TEST_P(DumpSize, IsChosenPrintedAndCarriedInTheJson) {
    velksim::SimServer& sim = StartDevice();
    const std::vector<std::uint8_t> game = MakeGenesisImage(0x50000, "TRIMMED");
    sim.setRomBytes(0, game);
    const std::string dump = Path("dump.bin");
    WriteBytes(dump, {1, 2, 3});  // an older dump

    CliRun run = RunCli({"rom", "read", dump, GetParam().option});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const std::vector<std::uint8_t> bytes = ReadBytes(dump);
    ASSERT_EQ(bytes.size(), GetParam().expectedSize);
    EXPECT_TRUE(std::equal(game.begin(), game.end(), bytes.begin()));
    EXPECT_NE(run.out.find(std::to_string(GetParam().expectedSize) + " bytes"), std::string::npos)
        << run.out;
    EXPECT_EQ(LastLine(run.out), "Read Complite");

    run = RunCli({"rom", "read", dump, GetParam().option, "--json"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const auto json = nlohmann::json::parse(run.out);
    EXPECT_EQ(json["size"], GetParam().expectedSize);
    EXPECT_EQ(json["sizeReason"].get<std::string>().rfind(GetParam().reasonStart, 0), 0u)
        << json["sizeReason"];
}

INSTANTIATE_TEST_SUITE_P(Options, DumpSize,
                         ::testing::Values(DumpSizeCase{"--trim", 0x80000, "data ends at"},
                                           DumpSizeCase{"--size=header", 0x50000,
                                                        "up to the header's ROM end"}),
                         [](const auto& param) { return param.index == 0 ? "trim" : "header"; });

TEST_F(CliTest, ATrimmedReadThatFailsKeepsTheOlderDump) {
    velksim::DeviceConfig config;
    config.faults.disconnectAfterTransfers = 200;
    StartDevice(config);
    const std::string dump = Path("dump.bin");
    WriteBytes(dump, {1, 2, 3});
    EXPECT_EQ(RunCli({"rom", "read", dump, "--trim"}).exitCode, 4);
    EXPECT_EQ(ReadBytes(dump), (std::vector<std::uint8_t>{1, 2, 3}));
}

}  // namespace
}  // namespace clitest
