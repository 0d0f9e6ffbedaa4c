// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later
// nuvrel-cli over libusb when the device misbehaves at the URB level: unplugged in the middle of
// erase, program, verify and read; hung (URBs pending until discarded); a STALL on either
// endpoint; a short packet; a reply arriving after the host gave up; a host controller that
// completes a discarded URB late. Each run must end with the documented exit code and message,
// leave no destination replaced and no name claiming an image the device does not hold, discard
// and reap every URB it gave up on, and leave the device usable for the next command.
#include <algorithm>
#include <thread>

#include "usb_node_fixture.h"

namespace usbnodetest {
namespace {

using velkusb::UrbTrigger;
using namespace std::chrono_literals;

constexpr std::uint8_t kErase = 0x45;
constexpr std::uint8_t kRead = 0x52;
constexpr std::uint8_t kWrite = 0x57;

std::string lastLine(const std::string& text) {
    std::string trimmed = text;
    while (!trimmed.empty() && trimmed.back() == '\n') {
        trimmed.pop_back();
    }
    const std::size_t start = trimmed.rfind('\n');
    return start == std::string::npos ? trimmed : trimmed.substr(start + 1);
}

// Both ways the library moves a command: queued with its phase, or one transfer at a time.
class UsbFaultTest : public UsbNodeTest {
  protected:
    static RunOptions onPath(bool queued) {
        RunOptions options;
        if (!queued) {
            options.environment.emplace_back("VELK_SERIES_NO_QUEUE", "1");
        }
        return options;
    }

    // Every URB the run submitted came back to it: what it gave up on was discarded and reaped,
    // none was left to the close.
    void expectEveryUrbReaped() {
        ASSERT_TRUE(node().waitUntilClosed(0, 2s));
        const velkusb::UrbStats stats = node().stats(0);
        EXPECT_EQ(stats.leftAtClose, 0u);
        EXPECT_EQ(stats.submitted, stats.reaped);
    }

    // A 256 KiB image programmed and verified, for the reads that follow.
    std::vector<std::uint8_t> programmed() {
        const auto image = MakeGenesisImage(256u * 1024u, "USB FAULT CART");
        writeBytes(path("game.bin"), image);
        EXPECT_EQ(runCli({"rom", "write", path("game.bin")}).exitCode, 0);
        return image;
    }

    void expectReadBackWorks(bool queued) {
        const ProgramRun run = runCli({"rom", "read", path("again.bin")}, onPath(queued));
        EXPECT_EQ(run.exitCode, 0) << run.err;
        EXPECT_EQ(readBytes(path("again.bin")), node().romBytes(0, 0, kRomBytes));
    }
};

// --- unplugged ---

struct UnplugCase {
    const char* name;
    std::vector<std::string> command;  // with {game} and {dump} for the files
    UrbTrigger trigger;
    int exitCode;
    const char* message;  // the start of the last line
    bool write;           // a write: no name may claim the image afterwards
};

class UsbUnplug : public UsbFaultTest,
                  public ::testing::WithParamInterface<std::tuple<UnplugCase, bool>> {};

TEST_P(UsbUnplug, EndsWithTheDocumentedCodeNamesTheAddressAndReplacesNothing) {
    const auto& [fault, queued] = GetParam();
    velkusb::NodeDeviceConfig config = quickDevice();
    config.faults.unplug = fault.trigger;
    config.faults.replugAfter = 300ms;
    plug(config);
    const auto image = MakeGenesisImage(128u * 1024u, "UNPLUGGED CART");
    writeBytes(path("game.bin"), image);
    const std::vector<std::uint8_t> oldDump(4096, 0x5A);
    writeBytes(path("dump.bin"), oldDump);
    std::vector<std::string> arguments;
    for (const std::string& word : fault.command) {
        arguments.push_back(word == "{game}"   ? path("game.bin")
                            : word == "{dump}" ? path("dump.bin")
                                               : word);
    }

    const ProgramRun run = runCli(arguments, onPath(queued));
    EXPECT_EQ(run.exitCode, fault.exitCode) << run.out << run.err;
    EXPECT_EQ(lastLine(run.err).rfind(fault.message, 0), 0u) << run.err;
    EXPECT_TRUE(contains(lastLine(run.err), "at: 0x")) << run.err;
    EXPECT_TRUE(contains(run.err, "velk_series: usb:1-2 was unplugged")) << run.err;
    EXPECT_EQ(readBytes(path("dump.bin")), oldDump);
    if (fault.write) {
        EXPECT_NE(node().fileName(0, 0), "game.bin");
    }
    EXPECT_EQ(node().stats(0).unplugs, 1u);

    // Plugged in again, it is found anew and used as before.
    for (int i = 0; i < 200 && !node().plugged(0); ++i) {
        std::this_thread::sleep_for(10ms);
    }
    ASSERT_TRUE(node().plugged(0));
    const ProgramRun again = runCli({"info"}, onPath(queued));
    EXPECT_EQ(again.exitCode, 0) << again.err;
}

const UnplugCase kUnplugCases[] = {
    {"erase",
     {"rom", "write", "{game}"},
     UrbTrigger::afterCommand(kErase, 2),
     1,
     "Erase error at",
     true},
    {"program",
     {"rom", "write", "{game}"},
     UrbTrigger::afterCommand(kWrite, 5),
     4,
     "Write error at",
     true},
    {"verify",
     {"rom", "write", "{game}", "--verify"},
     UrbTrigger::afterCommand(kRead, 3),
     4,
     "Read error at",
     true},
    {"read",
     {"rom", "read", "{dump}"},
     UrbTrigger::afterCommand(kRead, 7),
     4,
     "Read error at",
     false},
};

INSTANTIATE_TEST_SUITE_P(AtEachStep, UsbUnplug,
                         ::testing::Combine(::testing::ValuesIn(kUnplugCases), ::testing::Bool()),
                         [](const ::testing::TestParamInfo<std::tuple<UnplugCase, bool>>& param) {
                             return std::string(std::get<0>(param.param).name) +
                                    (std::get<1>(param.param) ? "_queued" : "_synchronous");
                         });

// --- hung, stalled, short, late ---

class UsbDeviceFaults : public UsbFaultTest, public ::testing::WithParamInterface<bool> {};

TEST_P(UsbDeviceFaults, AHungDeviceEndsTheRunAtTheTimeoutWithEveryUrbDiscardedAndReaped) {
    velkusb::NodeDeviceConfig config = quickDevice();
    plug(config);
    programmed();
    velkusb::UrbFaults faults;
    faults.hang = UrbTrigger::afterCommand(kRead, 3);
    node().setFaults(0, faults);
    const std::vector<std::uint8_t> oldDump(4096, 0x5A);
    writeBytes(path("dump.bin"), oldDump);

    const ProgramRun run = runCli({"rom", "read", path("dump.bin")}, onPath(GetParam()));
    EXPECT_EQ(run.exitCode, 4) << run.err;
    EXPECT_EQ(lastLine(run.err), "Read error at: 0x000400") << run.err;
    EXPECT_GE(run.elapsed, 4900ms);
    EXPECT_LT(run.elapsed, 9s) << "the 5 s transfer timeout, then the discard";
    EXPECT_EQ(readBytes(path("dump.bin")), oldDump);
    expectEveryUrbReaped();
    EXPECT_GE(node().stats(0).discarded, 1u);

    // The next command gets its own replies: the device was reset, not left hung.
    expectReadBackWorks(GetParam());
}

TEST_P(UsbDeviceFaults, AStallOnTheInEndpointIsClearedAndTheNextCommandWorks) {
    plug();
    programmed();
    velkusb::UrbFaults faults;
    faults.stall = UrbTrigger::afterCommand(kRead, 2);
    node().setFaults(0, faults);

    const ProgramRun run = runCli({"rom", "read", path("dump.bin")}, onPath(GetParam()));
    EXPECT_EQ(run.exitCode, 4) << run.err;
    EXPECT_EQ(lastLine(run.err), "Read error at: 0x000000") << run.err;
    EXPECT_TRUE(contains(run.err, "endpoint 0x81 stalled")) << run.err;
    EXPECT_TRUE(contains(run.err, "the halt was cleared")) << run.err;
    EXPECT_FALSE(std::filesystem::exists(path("dump.bin")));
    expectEveryUrbReaped();
    EXPECT_EQ(node().stats(0).clearHalts, 1u);

    expectReadBackWorks(GetParam());
}

TEST_P(UsbDeviceFaults, AStallOnTheOutEndpointIsClearedAndTheNextWriteWorks) {
    plug();
    const auto image = MakeGenesisImage(128u * 1024u, "STALLED CART");
    writeBytes(path("game.bin"), image);
    velkusb::UrbFaults faults;
    faults.stall = UrbTrigger::afterCommand(kWrite, 3);
    node().setFaults(0, faults);

    ProgramRun run = runCli({"rom", "write", path("game.bin")}, onPath(GetParam()));
    EXPECT_EQ(run.exitCode, 4) << run.err;
    EXPECT_EQ(lastLine(run.err).rfind("Write error at: 0x", 0), 0u) << run.err;
    EXPECT_TRUE(contains(run.err, "endpoint 0x01 stalled")) << run.err;
    EXPECT_NE(node().fileName(0, 0), "game.bin");
    expectEveryUrbReaped();

    run = runCli({"rom", "write", path("game.bin"), "--verify"}, onPath(GetParam()));
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(node().romBytes(0, 0, image.size()), image);
    EXPECT_EQ(node().fileName(0, 0), "game.bin");
}

TEST_P(UsbDeviceFaults, AShortPacketFailsTheReadAndKeepsTheOldDump) {
    plug();
    programmed();
    velkusb::UrbFaults faults;
    faults.shortIn = UrbTrigger::afterCommand(kRead, 2);
    faults.shortInBytes = 100;
    node().setFaults(0, faults);
    const std::vector<std::uint8_t> oldDump(4096, 0x5A);
    writeBytes(path("dump.bin"), oldDump);

    const ProgramRun run = runCli({"rom", "read", path("dump.bin")}, onPath(GetParam()));
    EXPECT_EQ(run.exitCode, 4) << run.err;
    EXPECT_EQ(lastLine(run.err), "Read error at: 0x000000") << run.err;
    EXPECT_EQ(readBytes(path("dump.bin")), oldDump);
    expectEveryUrbReaped();
    expectReadBackWorks(GetParam());
}

TEST_P(UsbDeviceFaults, AReplyArrivingAfterTheHostGaveUpIsNeverReadByTheNextCommand) {
    plug();
    programmed();
    velkusb::UrbFaults faults;
    faults.lateReply = UrbTrigger::afterCommand(kRead, 2);
    faults.lateReplyAfter = 6s;
    node().setFaults(0, faults);

    const ProgramRun run = runCli({"rom", "read", path("dump.bin")}, onPath(GetParam()));
    EXPECT_EQ(run.exitCode, 4) << run.err;
    EXPECT_EQ(lastLine(run.err), "Read error at: 0x000000") << run.err;
    expectEveryUrbReaped();

    // At once, while the device is still finishing the reply the host gave up on.
    expectReadBackWorks(GetParam());
    EXPECT_EQ(node().stats(0).staleRepliesDelivered, 0u);
}

TEST_P(UsbDeviceFaults, ADiscardTheHostControllerCompletesLateDoesNotHoldTheRun) {
    plug();
    programmed();
    velkusb::UrbFaults faults;
    faults.slowDiscard = UrbTrigger::afterCommand(kRead, 2);
    faults.slowDiscardAfter = 20s;
    node().setFaults(0, faults);

    const ProgramRun run = runCli({"rom", "read", path("dump.bin")}, onPath(GetParam()));
    EXPECT_EQ(run.exitCode, 4) << run.err;
    EXPECT_EQ(lastLine(run.err), "Read error at: 0x000000") << run.err;
    EXPECT_LT(run.elapsed, 9s) << "the timeout and a bounded wait for the cancel, not the 20 s";
    EXPECT_FALSE(std::filesystem::exists(path("dump.bin")));
}

INSTANTIATE_TEST_SUITE_P(QueuedAndSynchronous, UsbDeviceFaults, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& param) {
                             return param.param ? "queued" : "synchronous";
                         });

}  // namespace
}  // namespace usbnodetest
