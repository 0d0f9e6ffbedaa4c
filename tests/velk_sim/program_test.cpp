// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The velk-sim program as a user runs it: a child process the library finds by its socket.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "sim_fixture.h"

namespace velksim_test {
namespace {

// A running velk-sim whose standard output is read line by line.
class ChildSimulator {
  public:
    explicit ChildSimulator(std::vector<std::string> arguments) {
        int out[2];
        if (::pipe(out) != 0) {
            return;
        }
        pid_ = ::fork();
        if (pid_ == 0) {
            ::dup2(out[1], STDOUT_FILENO);
            ::close(out[0]);
            ::close(out[1]);
            std::vector<char*> argv;
            std::string program = VELK_SIM_PROGRAM;
            argv.push_back(program.data());
            for (std::string& argument : arguments) {
                argv.push_back(argument.data());
            }
            argv.push_back(nullptr);
            ::execv(program.c_str(), argv.data());
            ::_exit(127);
        }
        ::close(out[1]);
        output_ = ::fdopen(out[0], "r");
    }
    ~ChildSimulator() {
        if (pid_ > 0 && !waited_) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
        if (output_ != nullptr) {
            std::fclose(output_);
        }
    }
    // The next line of output, empty at end of output (the read blocks until the child writes
    // or exits, so it is bounded by the child's life).
    std::string line() {
        char text[512];
        if (output_ == nullptr || std::fgets(text, sizeof(text), output_) == nullptr) {
            return {};
        }
        return text;
    }
    // Stops reading the child's output, as a pager that quits would.
    void closeOutput() {
        if (output_ != nullptr) {
            std::fclose(output_);
            output_ = nullptr;
        }
    }
    int terminate() {
        ::kill(pid_, SIGTERM);
        return wait();
    }
    int wait() {
        int status = 0;
        ::waitpid(pid_, &status, 0);
        waited_ = true;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

  private:
    pid_t pid_ = -1;
    FILE* output_ = nullptr;
    bool waited_ = false;
};

class Program : public ::testing::Test {
  protected:
    void SetUp() override { velk::resetLibraryForTesting(); }
    void TearDown() override { velk::resetLibraryForTesting(); }
    velksim::ScopedRuntimeDir runtime_;
};

TEST_F(Program, ChildDeviceIsFoundKeepsItsStateAndRemovesItsSocketOnSigterm) {
    const auto state = runtime_.path() / "state";
    ChildSimulator child({"--name", "child", "--model", "e", "--state", state.string()});
    const std::string banner = child.line();
    const std::string socket = velksim::defaultSocketPath("child").string();
    ASSERT_NE(banner.find(socket), std::string::npos) << banner;

    const DeviceHandle device = OpenVelkDevice();
    ASSERT_NE(device, VELK_INVALID_DEVICE);
    std::uint32_t save = 0;
    EXPECT_EQ(GetMaxSize(device, &save, 0), 0x200000u);
    EXPECT_EQ(save, 0x8000u);
    char name[64] = "from the child.bin";
    EXPECT_TRUE(WriteFileName(device, name, 0));
    CloseVelkDevice(device);

    EXPECT_EQ(child.terminate(), 0);
    EXPECT_FALSE(std::filesystem::exists(socket));
    std::ifstream file(state / "state.txt");
    std::stringstream text;
    text << file.rdbuf();
    EXPECT_NE(text.str().find("name0=from the child.bin"), std::string::npos) << text.str();
}

TEST_F(Program, KilledSimulatorKeepsWhatItAcknowledged) {
    const auto state = runtime_.path() / "state";
    Bytes data(512);
    {
        ChildSimulator child({"--name", "killed", "--erase-polls", "0", "--state", state.string()});
        ASSERT_NE(child.line().find("killed.sock"), std::string::npos);
        const DeviceHandle device = OpenVelkDevice();
        ASSERT_NE(device, VELK_INVALID_DEVICE);
        data = pattern(512, 9);
        EXPECT_TRUE(EraseSector(device, 0x555, 1, VELK_ERASE_CHIP));
        EXPECT_TRUE(WriteSector(device, data.data(), 0x400, 8));
        std::uint32_t counter = 12;
        EXPECT_TRUE(ReadErasingCount(device, &counter, 1));
        CloseVelkDevice(device);
    }  // SIGKILL: no chance to flush anything
    std::ifstream rom(state / "rom.bin", std::ios::binary);
    rom.seekg(0x800);
    Bytes onDisk(512);
    rom.read(reinterpret_cast<char*>(onDisk.data()), static_cast<std::streamsize>(onDisk.size()));
    EXPECT_EQ(onDisk, data);
    std::ifstream file(state / "state.txt");
    std::stringstream text;
    text << file.rdbuf();
    EXPECT_NE(text.str().find("eraseCounter=0000000C"), std::string::npos) << text.str();
}

TEST_F(Program, TraceShowsEachCommandDecoded) {
    ChildSimulator child({"--name", "traced", "--trace", "--chips", "01004922,C2004922"});
    ASSERT_NE(child.line().find("traced.sock"), std::string::npos);
    const DeviceHandle device = OpenVelkDevice();
    ASSERT_NE(device, VELK_INVALID_DEVICE);
    EXPECT_EQ(ReadRomID(device, 1, nullptr), 0xC2004922u);
    std::uint8_t buffer[192];
    EXPECT_TRUE(ReadSector(device, buffer, 0x80, 3));
    CloseVelkDevice(device);
    // Stop it first, so reading its output to the end cannot wait forever.
    EXPECT_EQ(child.terminate(), 0);
    std::string trace;
    for (std::string line = child.line(); !line.empty(); line = child.line()) {
        trace += line;
    }
    EXPECT_NE(trace.find("ReadRomID"), std::string::npos) << trace;
    EXPECT_NE(trace.find("ReadSector       code=0x52 address=0x000080 count=3"), std::string::npos)
        << trace;
}

TEST_F(Program, TraceReaderThatGoesAwayDoesNotStopTheDevice) {
    ChildSimulator child({"--name", "unread", "--trace"});
    ASSERT_NE(child.line().find("unread.sock"), std::string::npos);
    child.closeOutput();
    const DeviceHandle device = OpenVelkDevice();
    ASSERT_NE(device, VELK_INVALID_DEVICE);
    DeviceInfoRecord record;
    EXPECT_TRUE(ReadDeviceInfo(device, &record, VELK_SELECTOR_DATA_BUS));
    EXPECT_TRUE(ReadDeviceInfo(device, &record, VELK_SELECTOR_ADDRESS_BUS));
    CloseVelkDevice(device);
    EXPECT_EQ(child.terminate(), 0);
    EXPECT_FALSE(std::filesystem::exists(velksim::defaultSocketPath("unread")));
}

TEST_F(Program, VersionAndTextOptionsReachTheInformationRecords) {
    ChildSimulator child({"--name", "versions", "--model", "g", "--firmware", "02.07.00",
                          "--boot-version", "01.02.03x", "--address-firmware", "03.00.01",
                          "--sci-version", "SCI 2.0", "--rom-chip-text", "MX29LV160B"});
    ASSERT_NE(child.line().find("versions.sock"), std::string::npos);
    const DeviceHandle device = OpenVelkDevice();
    ASSERT_NE(device, VELK_INVALID_DEVICE);
    DeviceInfoRecord record;
    ASSERT_TRUE(ReadDeviceInfo(device, &record, VELK_SELECTOR_DATA_BUS));
    EXPECT_STREQ(record.firmwareVersion, "02.07.00g");
    EXPECT_STREQ(record.bootVersion, "01.02.03x");
    EXPECT_STREQ(record.text2, "MX29LV160B");
    ASSERT_TRUE(ReadDeviceInfo(device, &record, VELK_SELECTOR_ADDRESS_BUS));
    EXPECT_STREQ(record.firmwareVersion, "03.00.01a");
    EXPECT_STREQ(record.addressText2, "SCI 2.0");
    // The chips follow the text: one bottom-boot 16-Mbit chip, 35 sectors.
    SectorTable table{};
    ASSERT_TRUE(DetectSectorsTables(device, table, nullptr));
    EXPECT_EQ(table[34].wordAddress, 0x0F8000u);
    EXPECT_EQ(table[35].name[0], 0);
    CloseVelkDevice(device);
    EXPECT_EQ(child.terminate(), 0);
}

TEST_F(Program, FaultOptionsReachTheDevice) {
    velk::setPollSleepForTesting([](std::chrono::milliseconds) {});
    {
        ChildSimulator child({"--name", "faulty", "--erase-polls", "0", "--weak-cell", "0x21",
                              "--short-replies", "1", "--short-reply-command", "0x4C"});
        ASSERT_NE(child.line().find("faulty.sock"), std::string::npos);
        const DeviceHandle device = OpenVelkDevice();
        ASSERT_NE(device, VELK_INVALID_DEVICE);
        ASSERT_TRUE(EraseSector(device, 0, 1, VELK_ERASE_SECTOR));
        const Bytes zeros(64, 0);
        ASSERT_TRUE(WriteSector(device, zeros.data(), 0, 1));
        Bytes back(64);
        ASSERT_TRUE(ReadSector(device, back.data(), 0, 1));
        EXPECT_EQ(back[0x21], 0xFF);  // the weak cell
        EXPECT_EQ(back[0x20], 0x00);
        // Only the chip query's reply is cut.
        Bytes query(31, 0);
        const char signature[] = "USBC";
        std::copy(signature, signature + 4, query.begin());
        query[15] = 0x67;
        query[16] = 0x4C;
        std::uint32_t count = 0;
        ASSERT_NE(Write(device, query.data(), 31, &count, nullptr), 0);
        std::array<std::uint8_t, 64> reply{};
        ASSERT_NE(Read(device, reply.data(), 64, &count, nullptr), 0);
        EXPECT_EQ(count, 1u);
        DeviceInfoRecord record;
        EXPECT_TRUE(ReadDeviceInfo(device, &record, VELK_SELECTOR_DATA_BUS));
        EXPECT_STREQ(record.text1, "12.000MHz");
        CloseVelkDevice(device);
        EXPECT_EQ(child.terminate(), 0);
    }
    {
        ChildSimulator child({"--name", "stuck", "--erase-never-finishes", "--disconnect-after",
                              "1606", "--replug-after", "50"});
        ASSERT_NE(child.line().find("stuck.sock"), std::string::npos);
        DeviceHandle device = OpenVelkDevice();
        ASSERT_NE(device, VELK_INVALID_DEVICE);
        // The erase block and its reply, then 800 polls of two transfers each: all answered,
        // none saying done.
        EXPECT_FALSE(EraseSector(device, 0, 1, VELK_ERASE_SECTOR));
        // Transfers 1603 and 1604 are the information exchange; after 1606 the device unplugs.
        DeviceInfoRecord record;
        EXPECT_TRUE(ReadDeviceInfo(device, &record, VELK_SELECTOR_DATA_BUS));
        std::uint32_t counter = 0;
        EXPECT_TRUE(ReadErasingCount(device, &counter, 1));
        EXPECT_FALSE(ReadDeviceInfo(device, &record, VELK_SELECTOR_DATA_BUS));
        CloseVelkDevice(device);
        // It comes back by itself (bounded wait).
        device = VELK_INVALID_DEVICE;
        for (int attempt = 0; attempt < 200 && device == VELK_INVALID_DEVICE; ++attempt) {
            device = OpenVelkDevice();
            if (device == VELK_INVALID_DEVICE) {
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
            }
        }
        ASSERT_NE(device, VELK_INVALID_DEVICE);
        EXPECT_TRUE(ReadDeviceInfo(device, &record, VELK_SELECTOR_DATA_BUS));
        CloseVelkDevice(device);
        EXPECT_EQ(child.terminate(), 0);
    }
}

TEST_F(Program, BadOptionsAreRefusedWithoutStartingADevice) {
    ChildSimulator badModel({"--model", "z"});
    EXPECT_NE(badModel.wait(), 0);
    ChildSimulator badChip({"--chips", "xyz"});
    EXPECT_NE(badChip.wait(), 0);
    ChildSimulator badVersion({"--firmware", "2.6"});
    EXPECT_NE(badVersion.wait(), 0);
    EXPECT_EQ(OpenVelkDevice(), VELK_INVALID_DEVICE);
}

TEST_F(Program, SecondInstanceOnTheSameNameExitsWithAnError) {
    ChildSimulator first({"--name", "twin"});
    ASSERT_NE(first.line().find("twin.sock"), std::string::npos);
    ChildSimulator second({"--name", "twin"});
    EXPECT_EQ(second.wait(), 1);
    EXPECT_TRUE(std::filesystem::exists(velksim::defaultSocketPath("twin")));
    EXPECT_EQ(first.terminate(), 0);
}

}  // namespace
}  // namespace velksim_test
