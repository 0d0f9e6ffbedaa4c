// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// A failing transfer at any step of a command clears the busy flag, returns the failure value
// and stops the command at that transfer.
#include <cstring>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "device_test_fixture.h"
#include "testing/testing_hooks.h"

namespace velk_test {
namespace {

struct CommandCase {
    std::string name;
    std::vector<Bytes> replies;  // what a healthy device would answer
    std::size_t transfers;       // transfers the command makes when nothing fails
    std::function<std::uint32_t(DeviceHandle)> run;
    std::uint32_t failure;  // the result that reports the failure
};

std::vector<CommandCase> commands() {
    static std::vector<std::uint8_t> buffer(1024);
    static char name[64];
    return {
        {"ReadDeviceInfo",
         {infoReply(2, 6, 9, 'c')},
         2,
         [](DeviceHandle d) {
             DeviceInfoRecord record;
             return std::uint32_t{ReadDeviceInfo(d, &record, 0x55)};
         },
         0},
        {"GetMaxSize",
         {infoReply(2, 6, 9, 'c')},
         2,
         [](DeviceHandle d) { return GetMaxSize(d, nullptr, 0); },
         0},
        {"IsVelkBrivo",
         {infoReply(2, 6, 9, 'c')},
         2,
         [](DeviceHandle d) { return std::uint32_t{IsVelkBrivo(d)}; },
         0},
        {"Compatibility",
         {{0x00, 0x01}},
         2,
         [](DeviceHandle d) { return std::uint32_t{Compatibility(d, 0x80)}; },
         0},
        {"ReadErasingCountRead",
         {{1, 0, 0, 0}},
         2,
         [](DeviceHandle d) {
             std::uint32_t counter = 0;
             return std::uint32_t{ReadErasingCount(d, &counter, 0)};
         },
         0},
        {"ReadErasingCountStore",
         {{0, 0, 0, 0}},
         2,
         [](DeviceHandle d) {
             std::uint32_t counter = 9;
             return std::uint32_t{ReadErasingCount(d, &counter, 1)};
         },
         0},
        {"ReadFileName",
         {{'a'}},
         2,
         [](DeviceHandle d) { return std::uint32_t{ReadFileName(d, name, 0)}; },
         0},
        {"WriteFileName",
         {},
         2,
         [](DeviceHandle d) {
             std::strcpy(name, "game.bin");
             return std::uint32_t{WriteFileName(d, name, 0)};
         },
         0},
        {"EraseSectorWithPoll",
         {{0, 0, 0}, {0, 0, 0, 0, 1}},
         4,
         [](DeviceHandle d) { return std::uint32_t{EraseSector(d, 0x555, 1, 0x10)}; },
         0},
        {"ReadSector",
         {Bytes(512, 0x11)},
         2,
         [](DeviceHandle d) { return std::uint32_t{ReadSector(d, buffer.data(), 0x10, 8)}; },
         0},
        {"WriteSector",
         {},
         2,
         [](DeviceHandle d) { return std::uint32_t{WriteSector(d, buffer.data(), 0x10, 8)}; },
         0},
        {"WriteRamSector",
         {},
         2,
         [](DeviceHandle d) {
             return std::uint32_t{WriteRamSector(d, buffer.data(), 0x100000, 4)};
         },
         0},
        {"BootloaderAtMode",
         {{0x42}},
         2,
         [](DeviceHandle d) { return std::uint32_t{Bootloader(d, 1, 0x40)}; },
         0},
        {"BootloaderSpaceMode",
         {},
         1,
         [](DeviceHandle d) { return std::uint32_t{Bootloader(d, 1, 0x20)}; },
         0},
    };
}

struct FailureCase {
    CommandCase command;
    std::size_t failing;
};

// Short names in test listings instead of a byte dump of the whole case.
void PrintTo(const CommandCase& c, std::ostream* os) {
    *os << c.name;
}
void PrintTo(const FailureCase& c, std::ostream* os) {
    *os << c.command.name << ", failing transfer " << c.failing;
}

std::vector<FailureCase> failureCases() {
    std::vector<FailureCase> cases;
    for (const CommandCase& command : commands()) {
        for (std::size_t i = 0; i < command.transfers; ++i) {
            cases.push_back({command, i});
        }
    }
    return cases;
}

class FailingTransfer : public DeviceTest, public ::testing::WithParamInterface<FailureCase> {
  protected:
    void SetUp() override {
        DeviceTest::SetUp();
        velk::setPollSleepForTesting([](std::chrono::milliseconds) {});
    }
};

TEST_P(FailingTransfer, ClearsBusyReturnsFailureAndStops) {
    const FailureCase& c = GetParam();
    for (const Bytes& reply : c.command.replies) {
        recorder().queueReply(reply);
    }
    recorder().failTransfer(c.failing);
    SetVelkDeviceProcessed(1);
    EXPECT_EQ(c.command.run(device_), c.command.failure);
    EXPECT_EQ(IsVelkDeviceProcessed(), 0);
    EXPECT_EQ(wire().size(), c.failing + 1) << "nothing may follow the failed transfer";
}

INSTANTIATE_TEST_SUITE_P(EveryStep, FailingTransfer, ::testing::ValuesIn(failureCases()),
                         [](const ::testing::TestParamInfo<FailureCase>& param) {
                             return param.param.command.name + "Transfer" +
                                    std::to_string(param.param.failing);
                         });

class HealthyDevice : public DeviceTest, public ::testing::WithParamInterface<CommandCase> {};

// The same scripts without a failure succeed, so the failures above come from the failing
// transfer and not from a wrong script.
TEST_P(HealthyDevice, SucceedsWithTheSameScript) {
    velk::setPollSleepForTesting([](std::chrono::milliseconds) {});
    const CommandCase& c = GetParam();
    for (const Bytes& reply : c.replies) {
        recorder().queueReply(reply);
    }
    SetVelkDeviceProcessed(1);
    EXPECT_NE(c.run(device_), c.failure);
    EXPECT_EQ(wire().size(), c.transfers);
    EXPECT_EQ(IsVelkDeviceProcessed(), 1) << "success leaves the flag to the caller";
}

INSTANTIATE_TEST_SUITE_P(EveryCommand, HealthyDevice, ::testing::ValuesIn(commands()),
                         [](const ::testing::TestParamInfo<CommandCase>& param) {
                             return param.param.name;
                         });

TEST_F(DeviceTest, TimeoutAndUnplugFailLikeAnyOtherTransferFailure) {
    for (velk::TransferStatus status :
         {velk::TransferStatus::TimedOut, velk::TransferStatus::NoDevice}) {
        recorder().clearLog();
        recorder().failTransfer(0, status);
        SetVelkDeviceProcessed(1);
        std::uint8_t data[64] = {};
        EXPECT_EQ(WriteSector(device_, data, 0, 1), 0);
        EXPECT_EQ(IsVelkDeviceProcessed(), 0);
        EXPECT_EQ(wire().size(), 1u);
    }
}

}  // namespace
}  // namespace velk_test
