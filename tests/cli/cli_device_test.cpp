// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// nuvrel-cli info, compat and sram against a virtual device.
#include <nlohmann/json.hpp>

#include "cli_fixture.h"

namespace clitest {
namespace {

using CliDevice = CliTest;

TEST_F(CliDevice, InfoShowsBothControllersAndTheCapacities) {
    StartDevice();
    const CliRun run = RunCli({"info"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    for (const char* text : {"02.06.09c", "01.03.02a", "12.000MHz", "24.000MHz", "SCI 1.04",
                             "4194305 bytes (32MBit)", "32Kbytes"}) {
        EXPECT_NE(run.out.find(text), std::string::npos) << text << "\n" << run.out;
    }
}

TEST_F(CliDevice, InfoJsonCarriesTheSameFields) {
    velksim::DeviceConfig config;
    config.model = 'g';
    config.eraseCounterStart = 41;
    StartDevice(config);
    const CliRun run = RunCli({"info", "--json"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const nlohmann::json json = nlohmann::json::parse(run.out);
    EXPECT_EQ(json["model"], "g");
    EXPECT_EQ(json["romCapacity"], 2097152);
    EXPECT_EQ(json["saveRamValue"], 0);
    EXPECT_EQ(json["eraseCounter"], 41);
    EXPECT_EQ(json["dataBus"]["firmwareVersion"], "02.06.09g");
    EXPECT_EQ(json["addressBus"]["sciVersion"], "SCI 1.04");
}

TEST_F(CliDevice, InfoThatCannotBeReadFromTheDeviceIsAFailure) {
    velksim::DeviceConfig config;
    config.faults.stallTransfer = 2;  // the data-bus controller's answer never comes
    StartDevice(config);
    const CliRun run = RunCli({"info"});
    EXPECT_EQ(run.exitCode, 4) << run.out;
    EXPECT_EQ(LastLine(run.err), "Device not answering: device information");
    EXPECT_EQ(run.out.find("Firmware version:"), std::string::npos) << run.out;
}

// This test process holds the device, as a running `nuvrel-cli rom write` or the program would:
// every device command of another program is refused before it sends anything.
TEST_F(CliDevice, EveryDeviceCommandOnADeviceAnotherProgramHoldsExitsThreeAndSaysSo) {
    velksim::SimServer& sim = StartDevice();
    const velksim::OtherHost holder(sim.socketPath());
    ASSERT_TRUE(holder.holds());
    for (const std::vector<std::string>& arguments : EveryDeviceCommand()) {
        const CliRun run = RunCli(arguments);
        EXPECT_EQ(run.exitCode, 3) << arguments[0] << " " << run.err;
        EXPECT_EQ(run.err, "Velk device in use by another program\n") << arguments[0];
    }
    EXPECT_TRUE(sim.commandLog().empty());
    EXPECT_FALSE(std::filesystem::exists(Path("out.bin")));
}

TEST_F(CliDevice, CompatStoresAndShowsTheSet) {
    velksim::SimServer& sim = StartDevice();
    CliRun run = RunCli({"compat", "--set", "32Velk+UF"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(sim.compatibilitySet(), 2u);
    run = RunCli({"compat"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "32Velk+UF compatibility set\n");
}

TEST_F(CliDevice, CompatOnAnotherModelFailsWithoutSendingIt) {
    velksim::DeviceConfig config;
    config.model = 'e';
    velksim::SimServer& sim = StartDevice(config);
    const CliRun run = RunCli({"compat", "--set", "16Velk+US"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(sim.compatibilitySet(), 0u);
    for (const velksim::CommandRecord& command : sim.commandLog()) {
        EXPECT_NE(command.code, 0x24) << "compatibility command sent";
    }
}

TEST_F(CliDevice, SaveRamRoundTripKeepsEverySaveByte) {
    velksim::SimServer& sim = StartDevice();
    std::vector<std::uint8_t> file(65536, 0);
    for (std::size_t index = 1; index < file.size(); index += 2) {
        file[index] = static_cast<std::uint8_t>(index * 13 / 2);
    }
    WriteBytes(Path("in.srm"), file);
    CliRun run = RunCli({"sram", "write", Path("in.srm")});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(LastLine(run.out), "Write Complite");
    EXPECT_EQ(sim.fileName(2), "in.srm");
    run = RunCli({"sram", "read", Path("out.srm")});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(LastLine(run.out), "Read Complite");
    EXPECT_EQ(ReadBytes(Path("out.srm")), file);
}

TEST_F(CliDevice, SaveFileLargerThanTheWindowIsRefused) {
    velksim::DeviceConfig config;
    config.model = 'e';  // save-RAM value 32768: a window of 65536 bytes
    velksim::SimServer& sim = StartDevice(config);
    WriteBytes(Path("big.srm"), std::vector<std::uint8_t>(65537, 1));
    const CliRun run = RunCli({"sram", "write", Path("big.srm")});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(LastLine(run.err),
              "File Size is to large for attached device! Device Rom Size: 32Kbytes File Size: "
              "65Kbytes");
    EXPECT_EQ(sim.fileName(2), "");
}

TEST_F(CliDevice, SaveRamClearZeroesTheWholeSaveRam) {
    velksim::SimServer& sim = StartDevice();
    sim.setSaveRam(std::vector<std::uint8_t>(velksim::kSaveRamBytes, 0xA5));
    const CliRun run = RunCli({"sram", "clear"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(LastLine(run.out), "Write Complite");
    EXPECT_EQ(sim.saveRam(), std::vector<std::uint8_t>(velksim::kSaveRamBytes, 0));
}

TEST_F(CliDevice, SaveRamCommandsOnAModelWithoutSaveRamFail) {
    velksim::DeviceConfig config;
    config.model = 'm';
    StartDevice(config);
    const CliRun run = RunCli({"sram", "clear"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(LastLine(run.err), "The attached device has no save RAM");
}

}  // namespace
}  // namespace clitest
