// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Finding and choosing USB devices through libusb on the emulated nodes: the built-in ID, an ID
// from the user's ID file, two devices of one ID, a node the user may not open, an interface
// another program holds.
#include <fstream>

#include "usb_node_fixture.h"

namespace usbnodetest {
namespace {

using UsbEnumeration = UsbNodeTest;
using UsbAccess = UsbNodeTest;

TEST_F(UsbEnumeration, ADeviceWithABuiltInIdIsListedByItsPortWithItsSerialNumber) {
    plug();
    const ProgramRun run = runCli({"devices"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_TRUE(contains(run.out, "1-2")) << run.out;
    EXPECT_TRUE(contains(run.out, "1209:0007")) << run.out;
    EXPECT_TRUE(contains(run.out, "VELK0001")) << run.out;
    EXPECT_TRUE(contains(run.out, "ready")) << run.out;
    EXPECT_EQ(node().stats(0).submitted, 0u) << "listing sends the device nothing";
}

TEST_F(UsbEnumeration, AnIdFromTheUsersIdFileMakesADeviceOffTheListUsable) {
    velkusb::NodeDeviceConfig config = quickDevice();
    config.vendorId = 0x16c0;
    config.productId = 0x05dc;
    plug(config);

    ProgramRun run = runCli({"devices", "--all-usb"});
    EXPECT_TRUE(contains(run.out, "No Velk device found")) << run.out;
    EXPECT_TRUE(contains(run.out, "16c0:05dc")) << run.out;
    run = runCli({"info"});
    EXPECT_EQ(run.exitCode, 3) << run.out << run.err;
    EXPECT_EQ(node().stats(0).opens, 0u) << "nothing is sent to a device off the list";

    std::filesystem::create_directories(folder_ / "config" / "velk-series");
    std::ofstream(folder_ / "config" / "velk-series" / "usb-ids") << "16c0:05dc bench unit\n";
    run = runCli({"devices"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_TRUE(contains(run.out, "bench unit")) << run.out;
    run = runCli({"info"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_TRUE(contains(run.out, "Firmware version:")) << run.out;
}

TEST_F(UsbEnumeration, OfTwoDevicesWithOneIdDeviceChoosesByPortOrSerialNumber) {
    plug(quickDevice("1-2", "VELK0001"));
    plug(quickDevice("1-3", "VELK0002"));
    const auto image = MakeGenesisImage(0x10000, "SECOND UNIT");
    writeBytes(path("game.bin"), image);

    ProgramRun run = runCli({"info"});
    EXPECT_EQ(run.exitCode, 3) << "refuses to guess: " << run.out << run.err;
    EXPECT_EQ(node().stats(0).opens + node().stats(1).opens, 0u);

    run = runCli({"rom", "write", path("game.bin"), "--verify", "--device", "1-3"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(node().romBytes(1, 0, image.size()), image);
    EXPECT_EQ(node().romBytes(0, 0, 16), std::vector<std::uint8_t>(16, 0xFF));
    EXPECT_EQ(node().stats(0).opens, 0u);

    run = runCli({"rom", "header", "--device", "VELK0002"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_TRUE(contains(run.out, "SECOND UNIT")) << run.out;
    run = runCli({"info", "--device", "VELK0001"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_GT(node().stats(0).opens, 0u);
}

TEST_F(UsbAccess, ANodeTheUserMayNotOpenIsAPermissionProblemWithTheUdevRuleAsItsFix) {
    velkusb::NodeDeviceConfig config = quickDevice();
    config.faults.open = velkusb::OpenFault::NoPermission;
    plug(config);
    RunOptions asUser;
    asUser.withoutRootFileAccess = true;

    ProgramRun run = runCli({"info"}, asUser);
    EXPECT_EQ(run.exitCode, 3) << run.out << run.err;
    EXPECT_TRUE(contains(run.err, "No permission to open the Velk device")) << run.err;
    EXPECT_TRUE(contains(run.err, "udev rule")) << run.err;

    run = runCli({"devices"}, asUser);
    EXPECT_TRUE(contains(run.out, "no permission to open " + node().devNode(0))) << run.out;

    run = runCli({"doctor"}, asUser);
    EXPECT_EQ(run.exitCode, 3) << run.out << run.err;
    EXPECT_TRUE(contains(run.out, "cannot open " + node().devNode(0) + " for reading and writing"))
        << run.out;
    EXPECT_TRUE(contains(run.out, "nuvrel-cli udev-rule | sudo tee")) << run.out;
    EXPECT_EQ(node().stats(0).opens, 0u);
}

TEST_F(UsbAccess, AnInterfaceAnotherProgramHasClaimedIsADeviceInUse) {
    velkusb::NodeDeviceConfig config = quickDevice();
    config.faults.open = velkusb::OpenFault::Busy;
    plug(config);
    const ProgramRun run = runCli({"info"});
    EXPECT_EQ(run.exitCode, 3) << run.out << run.err;
    EXPECT_TRUE(contains(run.err, "Velk device in use by another program")) << run.err;
    EXPECT_EQ(node().stats(0).submitted, 0u);
}

}  // namespace
}  // namespace usbnodetest
