// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// nuvrel-cli when things go wrong: Ctrl-C in the middle of a run, a device that does not answer
// its first query, inputs that are not regular files, and arguments that would drive the
// terminal. Exit codes: 2 bad input, 4 device not answering, 130 interrupted.
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <set>

#include "cli_fixture.h"
#include "temp_folder.h"

namespace clitest {
namespace {

using CliFailures = CliTest;

// Fast enough to finish, slow enough to be interrupted in the middle.
velksim::DeviceConfig FullSpeedDevice() {
    velksim::DeviceConfig config;
    config.speed = velksim::Speed::FullSpeed;
    return config;
}

TEST_F(CliFailures, CtrlCStopsAReadBackAtABlockAndKeepsTheOldDump) {
    velksim::SimServer& sim = StartDevice(FullSpeedDevice());
    const std::vector<std::uint8_t> oldDump(4096, 0x5A);
    WriteBytes(Path("dump.bin"), oldDump);
    const CliRun run = RunCliInterrupted({"rom", "read", Path("dump.bin")},
                                         [&sim] { return sim.transferCount() > 60; });
    EXPECT_EQ(run.exitCode, 130) << run.err;
    EXPECT_EQ(LastLine(run.err).rfind("Interrupted at 0x", 0), 0u) << run.err;
    EXPECT_EQ(run.out.find("Read Complite"), std::string::npos);
    EXPECT_EQ(ReadBytes(Path("dump.bin")), oldDump);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder_),
                            std::filesystem::directory_iterator()),
              1);
}

std::set<std::string> Entries(const std::filesystem::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names.insert(entry.path().filename().string());
    }
    return names;
}

// Where the file system has no unnamed files, a killed read leaves one hidden file, which the
// next run removes.
TEST_F(CliFailures, AReadKilledHalfWayLeavesNothingButTheOldDump) {
    velksim::SimServer& sim = StartDevice(FullSpeedDevice());
    const std::vector<std::uint8_t> oldDump(4096, 0x5A);
    WriteBytes(Path("dump.bin"), oldDump);
    const CliRun run =
        RunCliSignalled({"rom", "read", Path("dump.bin")},
                        {{SIGKILL, [&sim](const CliRun&) { return sim.transferCount() > 60; }}});
    EXPECT_EQ(run.exitCode, 128 + SIGKILL) << run.err;
    EXPECT_EQ(ReadBytes(Path("dump.bin")), oldDump);
    if (!nuvrel::testing::TakesUnnamedFiles(folder_)) {
        EXPECT_EQ(Entries(folder_).size(), 2u);
        EXPECT_EQ(RunCli({"rom", "read", Path("other.bin")}).exitCode, 0);
        std::filesystem::remove(Path("other.bin"));
    }
    EXPECT_EQ(Entries(folder_), std::set<std::string>{"dump.bin"});
}

// Where a file system has no unnamed files, a killed run leaves a hidden file named after its
// process; the next run into the folder removes those whose process is gone, old names included.
TEST_F(CliFailures, AReadRemovesTheLeftoversOfProcessesThatAreGone) {
    StartDevice();
    const pid_t gone = fork();
    ASSERT_GE(gone, 0);
    if (gone == 0) {
        _exit(0);
    }
    waitpid(gone, nullptr, 0);
    const std::string goneId = std::to_string(gone);
    const std::string liveId = std::to_string(getpid());
    const std::vector<std::uint8_t> half(2048, 0x11);
    for (const std::string& name :
         {".dump.bin.nuvrel-" + goneId + "-0.part", ".other.bin.nuvrel-" + goneId + "-7.part",
          ".dump.bin.part" + goneId + "-3", ".dump.bin.nuvrel-" + liveId + "-0.part",
          std::string(".dump.bin.part")}) {
        WriteBytes(Path(name), half);
    }
    const CliRun run = RunCli({"rom", "read", Path("dump.bin")});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(Entries(folder_),
              (std::set<std::string>{"dump.bin", ".dump.bin.nuvrel-" + liveId + "-0.part",
                                     ".dump.bin.part"}));
}

TEST_F(CliFailures, CtrlCStopsAWriteAndTheDeviceDoesNotClaimTheImage) {
    velksim::SimServer& sim = StartDevice(FullSpeedDevice());
    WriteBytes(Path("game.bin"), MakeGenesisImage(0x80000, "STOPPED"));
    const CliRun run = RunCliInterrupted({"rom", "write", Path("game.bin")},
                                         [&sim] { return sim.programmedBlocks() > 20; });
    EXPECT_EQ(run.exitCode, 130) << run.err;
    EXPECT_EQ(LastLine(run.err).rfind("Interrupted at 0x", 0), 0u) << run.err;
    EXPECT_EQ(run.out.find("Write Complite"), std::string::npos);
    EXPECT_EQ(sim.fileName(0), " ");
}

// The first query's reply never comes: the device is said not to answer, and neither the file
// nor an empty device is blamed.
TEST_F(CliFailures, AFirstQueryThatTimesOutIsADeviceThatDoesNotAnswer) {
    velksim::DeviceConfig config;
    config.faults.stallTransfer = 2;
    config.faults.stallTimesOutAtOnce = true;
    velksim::SimServer& sim = StartDevice(config);
    WriteBytes(Path("game.bin"), MakeGenesisImage(0x10000, "GAME"));
    CliRun run = RunCli({"rom", "write", Path("game.bin"), "--verify"});
    EXPECT_EQ(run.exitCode, 4) << run.err;
    EXPECT_EQ(LastLine(run.err), "Device not answering: size query");

    sim.setFaults(config.faults);
    const std::vector<std::uint8_t> backup(65536, 0x11);
    WriteBytes(Path("old.srm"), backup);
    run = RunCli({"sram", "read", Path("old.srm")});
    EXPECT_EQ(run.exitCode, 4) << run.err;
    EXPECT_EQ(LastLine(run.err), "Device not answering: save RAM query");
    EXPECT_EQ(ReadBytes(Path("old.srm")), backup);
}

TEST_F(CliFailures, InputsThatAreNotRegularFilesAreRefusedAtOnce) {
    StartDevice();
    WriteBytes(Path("game.bin"), MakeGenesisImage(0x10000, "GAME"));
    ASSERT_EQ(mkfifo(Path("fifo").c_str(), 0600), 0);
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"rom", "write", "/dev/zero"}, "/dev/zero"},
        {{"rom", "write", Path("game.bin"), "--patch-file", "/dev/zero"}, "/dev/zero"},
        {{"rom", "write", Path("game.bin"), "--patch-file", Path("fifo")}, Path("fifo")},
        {{"sram", "write", Path("fifo")}, Path("fifo")},
        {{"rom", "header", folder_.string()}, folder_.string()},
    };
    for (const auto& [arguments, input] : cases) {
        const CliRun run = RunCli(arguments);
        EXPECT_EQ(run.exitCode, 2) << input;
        EXPECT_EQ(LastLine(run.err), "Not a regular file: " + input);
    }
}

// With nothing to send, a write would still end as complete and store the name.
TEST_F(CliFailures, AWriteWithNoBlockToSendIsRefusedBeforeTheDeviceIsAsked) {
    velksim::SimServer& sim = StartDevice();
    WriteBytes(Path("tiny.bin"), {});
    WriteBytes(Path("tiny.srm"), std::vector<std::uint8_t>(255, 0x11));
    // A compact file fills only the odd bytes: 127 of them make 254 window bytes.
    WriteBytes(Path("compact.srm"), std::vector<std::uint8_t>(127, 0x11));
    const std::string kSaveTooSmall =
        "Nothing to write: the file is smaller than one 256-byte block.";
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"rom", "write", Path("tiny.bin")},
         "Nothing to write: the image is empty. (" + Path("tiny.bin") + ")"},
        {{"sram", "write", Path("tiny.srm")}, kSaveTooSmall},
        {{"sram", "write", "--format", "compact", Path("compact.srm")}, kSaveTooSmall},
    };
    for (const auto& [arguments, message] : cases) {
        sim.clearCommandLog();
        const CliRun run = RunCli(arguments);
        EXPECT_EQ(run.exitCode, 2) << run.err;
        EXPECT_EQ(LastLine(run.err), message);
        EXPECT_TRUE(sim.commandLog().empty());
        EXPECT_EQ(run.out.find("Complite"), std::string::npos);
    }
}

TEST_F(CliFailures, ArgumentsAreQuotedBackEscapedAndShortened) {
    const std::string hostile = "evil\x1b]0;owned\x07\x7f\xff.bin";
    CliRun run = RunCli({"rom", "write", hostile});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(LastLine(run.err), "Can't open image file: evil\\x1B]0;owned\\x07\\x7F\\xFF.bin");

    const std::string longName = "/tmp/" + std::string(300, 'a') + "/end.bin";
    run = RunCli({"rom", "write", longName});
    EXPECT_EQ(LastLine(run.err), "Can't open image file: /tmp/" + std::string(35, 'a') + "..." +
                                     std::string(69, 'a') + "/end.bin");

    run = RunCli({"gg", "decode",
                  "AB\x1b"
                  "CD-EFGH"});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(run.err.find('\x1b'), std::string::npos) << run.err;
}

TEST_F(CliFailures, JsonEscapesEveryByteThatIsNotPlainText) {
    std::vector<std::uint8_t> image = MakeGenesisImage(0x1000, "GAME");
    image[0x100] = 0x7F;  // DEL in the system name
    image[0x101] = 0x1B;  // ESC
    image[0x102] = 0xE9;  // not UTF-8 on its own
    WriteBytes(Path("game.bin"), image);
    const CliRun run = RunCli({"rom", "header", Path("game.bin"), "--json"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    for (const char byte : run.out) {
        const auto value = static_cast<unsigned char>(byte);
        EXPECT_TRUE(value == '\n' || (value >= 0x20 && value < 0x7F)) << int(value);
    }
    EXPECT_NE(run.out.find("\"\\u007f\\u001b"), std::string::npos) << run.out;
}

}  // namespace
}  // namespace clitest
