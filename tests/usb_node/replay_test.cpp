// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Recordings replayed: umockdev-run plays a device's sysfs entry and a usbmon capture of a
// session back to the unchanged nuvrel-cli, which must print what it printed when the session
// was recorded and write the same file. The recordings in recordings/ were made against the
// emulated device (see recordings/README.md); one from a user's device is replayed the same way.
#include <gtest/gtest.h>
#include <velk_sim/sim_harness.h>

#include <filesystem>
#include <sstream>

#include "program_run.h"
#include "usb_node.h"

namespace usbnodetest {
namespace {

const std::filesystem::path kRecordings = VELK_RECORDINGS_DIR;
constexpr const char* kDevice = "/sys/bus/usb/devices/1-2";

std::string fileText(const std::filesystem::path& path) {
    const auto bytes = readBytes(path.string());
    return {bytes.begin(), bytes.end()};
}

// What a run printed, without the line of its elapsed time.
std::string withoutTimes(const std::string& text) {
    std::istringstream in(text);
    std::string line;
    std::string out;
    while (std::getline(in, line)) {
        if (line.rfind("Process Time:", 0) != 0) {
            out += line + "\n";
        }
    }
    return out;
}

// umockdev-run with the recording, running nuvrel-cli; a sanitizer runtime of this build stays
// first in the preload list, where umockdev-run would put its own library first.
ProgramRun replay(const std::string& capture, const std::vector<std::string>& arguments,
                  bool queued = true) {
    std::vector<std::string> argv = {VELK_UMOCKDEV_RUN,
                                     "--device",
                                     (kRecordings / "velk.umockdev").string(),
                                     "--pcap",
                                     std::string(kDevice) + "=" + (kRecordings / capture).string(),
                                     "--"};
    const std::string sanitizer = velkusb::sanitizerRuntimePath();
    if (!sanitizer.empty()) {
        argv.insert(argv.end(),
                    {"/usr/bin/env", "LD_PRELOAD=" + sanitizer + ":libumockdev-preload.so.0"});
    }
    argv.push_back(NUVREL_CLI_PATH);
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    RunOptions options;
    options.environment = {{"LD_PRELOAD", ""}, {"VELK_SERIES_NO_QUEUE", queued ? "0" : "1"}};
    options.deadline = std::chrono::seconds(60);
    return runProgram(argv, options);
}

class Replay : public ::testing::Test {
  protected:
    velksim::ScopedRuntimeDir runtime_;  // no velk-sim of anyone else is found
};

TEST_F(Replay, InfoPrintsWhatTheRecordedDeviceAnswered) {
    const ProgramRun run = replay("info.pcap", {"info"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, fileText(kRecordings / "info.out")) << run.err;
}

TEST_F(Replay, AShortReadWritesTheRecordedBytes) {
    const std::filesystem::path out = runtime_.path() / "head.bin";
    const ProgramRun run = replay("read.pcap", {"rom", "read", "--size", "header", out.string()});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(withoutTimes(run.out), withoutTimes(fileText(kRecordings / "read.out"))) << run.err;
    EXPECT_EQ(readBytes(out.string()), readBytes((kRecordings / "read.bin").string()));
}

// A replay follows the recorded order of URBs: a program that moves the same bytes one transfer
// at a time instead of queued does not get through it. This is what catches a change.
TEST_F(Replay, AProgramThatTransfersDifferentlyIsCaught) {
    const std::filesystem::path out = runtime_.path() / "head.bin";
    const ProgramRun run =
        replay("read.pcap", {"rom", "read", "--size", "header", out.string()}, false);
    EXPECT_NE(run.exitCode, 0) << run.out;
    EXPECT_FALSE(std::filesystem::exists(out));
}

}  // namespace
}  // namespace usbnodetest
