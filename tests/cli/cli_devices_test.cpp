// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Several velk-sim devices at once: listing them, choosing one with --device, refusing to guess,
// and the udev rule and ID files a real device needs.
#include <nlohmann/json.hpp>

#include <csignal>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <thread>

#include "cli_fixture.h"

namespace clitest {
namespace {

std::string FileText(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

class CliDevices : public CliTest {
  protected:
    void SetUp() override {
        CliTest::SetUp();
        // The child reads its ID file from here, never the user's own.
        ::setenv("XDG_CONFIG_HOME", Path("config").c_str(), 1);
    }
    void TearDown() override {
        sims_.clear();
        ::unsetenv("XDG_CONFIG_HOME");
        CliTest::TearDown();
    }

    velksim::SimServer& Start(const std::string& name, velksim::FaultOptions faults = {}) {
        velksim::DeviceConfig config;
        config.faults = faults;
        return Start(name, config);
    }
    velksim::SimServer& Start(const std::string& name, velksim::DeviceConfig config) {
        config.erasePolls = 0;
        velksim::ServerOptions options;
        options.name = name;
        options.stateDir = StateDir(name);
        sims_.push_back(std::make_unique<velksim::SimServer>(config, options));
        std::string error;
        EXPECT_TRUE(sims_.back()->start(&error)) << error;
        return *sims_.back();
    }
    std::filesystem::path StateDir(const std::string& name) const { return folder_ / name; }

    std::vector<std::unique_ptr<velksim::SimServer>> sims_;
};

TEST_F(CliDevices, ListsEveryRunningSimulatorByName) {
    Start("bench-a");
    velksim::SimServer& b = Start("bench-b");
    const CliRun text = RunCli({"devices"});
    ASSERT_EQ(text.exitCode, 0) << text.err;
    const auto lines = Lines(text.out);
    ASSERT_EQ(lines.size(), 2u) << text.out;
    EXPECT_EQ(lines[0].rfind("sim:bench-a  velk-sim at ", 0), 0u) << lines[0];
    EXPECT_NE(lines[1].find("bench-b.sock  ready"), std::string::npos) << lines[1];

    const CliRun json = RunCli({"devices", "--json", "--all-usb"});
    ASSERT_EQ(json.exitCode, 0) << json.err;
    const nlohmann::json list = nlohmann::json::parse(json.out);
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[1]["name"], "sim:bench-b");
    EXPECT_EQ(list[1]["kind"], "velk-sim");
    EXPECT_EQ(list[1]["usable"], true);
    EXPECT_EQ(list[1]["socket"], b.socketPath().string());
}

TEST_F(CliDevices, DeviceChoosesTheNamedDeviceAndLeavesTheOtherAlone) {
    velksim::SimServer& a = Start("bench-a");
    velksim::SimServer& b = Start("bench-b");
    const auto image = MakeGenesisImage(64 * 1024, "CHOSEN");
    WriteBytes(Path("game.bin"), image);
    const std::string aRomBefore = FileText(StateDir("bench-a") / "rom.bin");
    const CliRun run = RunCli({"rom", "write", Path("game.bin"), "--device", "sim:bench-b"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(b.romBytes(0, image.size()), image);
    EXPECT_TRUE(a.commandLog().empty());
    EXPECT_EQ(FileText(StateDir("bench-a") / "rom.bin"), aRomBefore);
    EXPECT_NE(FileText(StateDir("bench-b") / "rom.bin"), aRomBefore);
}

struct Refusal {
    std::vector<std::string> extra;
    const char* message;
};

class CliDeviceRefusal : public CliDevices, public ::testing::WithParamInterface<Refusal> {};

// Whichever command, nothing reaches either device when it is not clear which one was meant.
TEST_P(CliDeviceRefusal, ExitsThreeWithTheListAndSendsNothing) {
    velksim::SimServer& a = Start("bench-a");
    velksim::SimServer& b = Start("bench-b");
    WriteBytes(Path("game.bin"), MakeGenesisImage(4096, "GAME"));
    for (std::vector<std::string> arguments : std::vector<std::vector<std::string>>{
             {"info"}, {"rom", "write", Path("game.bin")}, {"sram", "clear"}, {"compat"}}) {
        arguments.insert(arguments.end(), GetParam().extra.begin(), GetParam().extra.end());
        const CliRun run = RunCli(arguments);
        EXPECT_EQ(run.exitCode, 3) << arguments[0] << "\n" << run.err;
        EXPECT_EQ(LastLine(run.err), GetParam().message);
        EXPECT_NE(run.err.find("  sim:bench-a  velk-sim at "), std::string::npos) << run.err;
        EXPECT_NE(run.err.find("  sim:bench-b  velk-sim at "), std::string::npos) << run.err;
    }
    const CliRun header = RunCli({"rom", "header", "--device"});
    EXPECT_EQ(header.exitCode, 3) << header.out;
    EXPECT_TRUE(a.commandLog().empty());
    EXPECT_TRUE(b.commandLog().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Selectors, CliDeviceRefusal,
    ::testing::Values(Refusal{{},
                              "More than one Velk device is attached: choose one with --device (a "
                              "name from the list above)"},
                      Refusal{{"--device", "sim:bench-c"},
                              "No Velk device matches --device sim:bench-c"}));

TEST_F(CliDevices, RomHeaderReadsTheNamedDevice) {
    Start("bench-a");
    velksim::SimServer& b = Start("bench-b");
    const auto image = MakeGenesisImage(4096, "ONLY ON B");
    b.setRomBytes(0, image);
    const CliRun run = RunCli({"rom", "header", "--device", "sim:bench-b"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.out.find("ONLY ON B"), std::string::npos) << run.out;
}

std::vector<std::string> RuleLines(const std::string& text) {
    std::vector<std::string> rules;
    for (const std::string& line : Lines(text)) {
        if (!line.empty() && line[0] != '#') {
            rules.push_back(line);
        }
    }
    return rules;
}

TEST_F(CliDevices, UdevRuleIsTheShippedOneWithTheListedAndGivenIdsAdded) {
    const std::string shipped = FileText(VELK_UDEV_RULE_FILE);
    const CliRun plain = RunCli({"udev-rule"});
    ASSERT_EQ(plain.exitCode, 0) << plain.err;
    EXPECT_EQ(RuleLines(plain.out), RuleLines(shipped));

    std::filesystem::create_directories(Path("config/velk-series"));
    std::ofstream(Path("config/velk-series/usb-ids")) << "abcd:0001 bench unit\n";
    const CliRun more = RunCli({"udev-rule", "BEEF:00A0", "abcd:0001", "1209:0007"});
    ASSERT_EQ(more.exitCode, 0) << more.err;
    const auto rules = RuleLines(more.out);
    ASSERT_EQ(rules.size(), RuleLines(shipped).size() + 2) << more.out;
    EXPECT_NE(rules[rules.size() - 2].find(R"(ATTR{idVendor}=="abcd", ATTR{idProduct}=="0001")"),
              std::string::npos);
    EXPECT_NE(rules.back().find(R"(ATTR{idVendor}=="beef", ATTR{idProduct}=="00a0")"),
              std::string::npos);
}

TEST_F(CliDevices, ABadIdIsRefusedWhereverItComesFrom) {
    const CliRun argument = RunCli({"udev-rule", "12:34"});
    EXPECT_EQ(argument.exitCode, 2);
    EXPECT_EQ(LastLine(argument.err),
              "nuvrel-cli udev-rule: 12:34 is not a USB ID VVVV:PPPP (hexadecimal)");

    std::filesystem::create_directories(Path("config/velk-series"));
    std::ofstream(Path("config/velk-series/usb-ids")) << "# mine\nabcd:0001\nabcd 0002\n";
    const CliRun file = RunCli({"devices"});
    EXPECT_EQ(file.exitCode, 0) << file.err;
    EXPECT_NE(file.err.find("usb-ids, line 3: \"abcd 0002\" is not VVVV:PPPP"), std::string::npos)
        << file.err;
}

// The summary rows: device name to its result column.
std::map<std::string, std::string> Summary(const std::string& out) {
    std::map<std::string, std::string> rows;
    bool inTable = false;
    for (const std::string& line : Lines(out)) {
        if (line.rfind("Device ", 0) == 0) {
            inTable = true;
        } else if (inTable && line.rfind("sim:", 0) == 0) {
            std::istringstream words(line);
            std::string name;
            std::string result;
            words >> name >> result;
            EXPECT_FALSE(rows.contains(name)) << name << " programmed twice\n" << out;
            rows[name] = result;
        }
    }
    return rows;
}

TEST_F(CliDevices, EachDeviceProgramsAllAndAnUnpluggedOneFailsAlone) {
    velksim::SimServer& a = Start("bench-a");
    velksim::FaultOptions unplug;
    unplug.disconnectAfterTransfers = 40;
    Start("bench-b", unplug);
    velksim::SimServer& c = Start("bench-c");
    const auto image = MakeGenesisImage(128 * 1024, "FLEET");
    WriteBytes(Path("game.bin"), image);
    const CliRun run = RunCli({"rom", "write", Path("game.bin"), "--each-device", "--verify"});
    EXPECT_EQ(run.exitCode, 1) << run.out << run.err;
    EXPECT_EQ(Summary(run.out),
              (std::map<std::string, std::string>{
                  {"sim:bench-a", "ok"}, {"sim:bench-b", "FAILED"}, {"sim:bench-c", "ok"}}))
        << run.out;
    EXPECT_EQ(a.romBytes(0, image.size()), image);
    EXPECT_EQ(c.romBytes(0, image.size()), image);
    EXPECT_EQ(LastLine(run.out), "Programmed 2 of 3 device(s)");
}

TEST_F(CliDevices, WaitForTakesDevicesAsTheyArriveAndEachOnlyOnce) {
    Start("bench-a");
    WriteBytes(Path("game.bin"), MakeGenesisImage(64 * 1024, "WAITED"));
    CliRun run;
    std::thread cli([&] { run = RunCli({"rom", "write", Path("game.bin"), "--wait-for", "2"}); });
    // bench-a stays attached through several polls before bench-b arrives.
    std::this_thread::sleep_for(std::chrono::milliseconds(1800));
    Start("bench-b");
    cli.join();
    EXPECT_EQ(run.exitCode, 0) << run.out << run.err;
    EXPECT_EQ(Summary(run.out),
              (std::map<std::string, std::string>{{"sim:bench-a", "ok"}, {"sim:bench-b", "ok"}}))
        << run.out;
}

TEST_F(CliDevices, CtrlCWhileWaitingEndsWithTheSummary) {
    velksim::SimServer& a = Start("bench-a");
    const auto image = MakeGenesisImage(64 * 1024, "STOPPED");
    WriteBytes(Path("game.bin"), image);
    const CliRun run = RunCliInterrupted({"rom", "write", Path("game.bin"), "--wait-for", "3"},
                                         // The name is stored last: the run has completed.
                                         [&] { return a.fileName(0) == "game.bin"; });
    EXPECT_EQ(run.exitCode, 130) << run.out << run.err;
    EXPECT_EQ(Summary(run.out), (std::map<std::string, std::string>{{"sim:bench-a", "ok"}}));
    EXPECT_EQ(LastLine(run.out), "Programmed 1 of 1 device(s)");
}

// The summary row of a device.
std::string SummaryRow(const std::string& out, const std::string& device) {
    for (const std::string& line : Lines(out)) {
        if (line.rfind(device + " ", 0) == 0 && line.find("Last message") == std::string::npos) {
            return line;
        }
    }
    return {};
}

TEST_F(CliDevices, OneCtrlCStopsEveryDeviceAtABlockAndKeepsTheOnesAlreadyProgrammed) {
    velksim::DeviceConfig full;
    full.speed = velksim::Speed::FullSpeed;
    std::filesystem::create_directories(StateDir("slow"));
    std::ofstream(StateDir("slow") / "state.txt") << "name0=old.bin\n";
    velksim::SimServer& fast = Start("fast");
    velksim::SimServer& slow = Start("slow", full);
    WriteBytes(Path("game.bin"), MakeGenesisImage(1024 * 1024, "STOPPED"));
    const CliRun run =
        RunCliSignalled({"rom", "write", Path("game.bin"), "--each-device"},
                        {{SIGINT, [&](const CliRun&) {
                              return fast.fileName(0) == "game.bin" && slow.programmedBlocks() > 0;
                          }}});
    EXPECT_EQ(run.exitCode, 130) << run.out << run.err;
    EXPECT_EQ(Summary(run.out),
              (std::map<std::string, std::string>{{"sim:fast", "ok"}, {"sim:slow", "stopped"}}))
        << run.out;
    const std::string row = SummaryRow(run.out, "sim:slow");
    EXPECT_NE(row.find(" stopped by Ctrl-C "), std::string::npos) << run.out;
    EXPECT_NE(row.find("Interrupted at 0x"), std::string::npos) << run.out;
    EXPECT_EQ(LastLine(run.out), "Programmed 1 of 2 device(s)");
    EXPECT_EQ(slow.fileName(0), " ");
}

// A device that has stopped answering holds its child in a transfer; the second Ctrl-C ends it
// there rather than after the transfer's timeout.
TEST_F(CliDevices, ASecondCtrlCQuitsAtOnce) {
    velksim::SimServer& sim = Start("stalled");
    WriteBytes(Path("game.bin"), MakeGenesisImage(256 * 1024, "STALLED"));
    bool stalled = false;
    const CliRun run = RunCliSignalled({"rom", "write", Path("game.bin"), "--each-device"},
                                       {{SIGINT,
                                         [&](const CliRun&) {
                                             if (!stalled && sim.programmedBlocks() > 10) {
                                                 velksim::FaultOptions stall;
                                                 stall.stallTransfer = 1;
                                                 sim.setFaults(stall);
                                                 stalled = true;
                                             }
                                             return stalled && sim.transferCount() >= 1;
                                         }},
                                        {SIGINT, [](const CliRun& soFar) {
                                             return soFar.err.find("Ctrl-C again to quit now") !=
                                                    std::string::npos;
                                         }}});
    EXPECT_EQ(run.exitCode, 130) << run.out << run.err;
    EXPECT_EQ(Summary(run.out), (std::map<std::string, std::string>{{"sim:stalled", "stopped"}}))
        << run.out;
    EXPECT_NE(SummaryRow(run.out, "sim:stalled").find("quit at once by Ctrl-C"), std::string::npos)
        << run.out;
}

class CliDoctor : public CliDevices, public ::testing::WithParamInterface<bool> {};

TEST_P(CliDoctor, ExitsZeroOnlyWithAUsableDevice) {
    const bool simulator = GetParam();
    if (simulator) {
        Start("bench-a");
    }
    const CliRun run = RunCli({"doctor"});
    EXPECT_EQ(run.exitCode, simulator ? 0 : 3) << run.out;
    EXPECT_NE(run.out.find(simulator ? "ok    a running velk-sim: sim:bench-a"
                                     : "--    a running velk-sim: none"),
              std::string::npos)
        << run.out;
    EXPECT_EQ(LastLine(run.out),
              simulator ? "A Velk device can be used" : "No Velk device can be used");
}

INSTANTIATE_TEST_SUITE_P(WithAndWithoutSimulator, CliDoctor, ::testing::Bool());

}  // namespace
}  // namespace clitest
