// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The doctor's checks on a stand-in root: udev rules, sysfs, device nodes and /proc are files
// the test writes, never the machine's own.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "doctor_checks.h"

namespace {

namespace fs = std::filesystem;
using nuvrel::cli::CheckState;
using nuvrel::cli::DoctorInput;
using nuvrel::cli::RunDoctorChecks;

enum Check { kOnBus, kRule, kAccess, kHolder, kGrabbers, kSim };

VelkDeviceListing UsbDevice(const char* port, std::uint16_t vendor, std::uint16_t product,
                            bool listed = true) {
    VelkDeviceListing device{};
    std::strcpy(device.name, port);
    if (listed) {
        std::snprintf(device.path, sizeof device.path, "usb:%s", port);
    }
    device.vendorId = vendor;
    device.productId = product;
    device.hasUsbId = 1;
    device.listed = listed ? 1 : 0;
    return device;
}

class StandInRoot {
  public:
    StandInRoot() {
        char pattern[] = "/tmp/nuvrel-doctor-XXXXXX";
        root_ = mkdtemp(pattern);
    }
    ~StandInRoot() { fs::remove_all(root_); }
    const fs::path& root() const { return root_; }

    void write(const std::string& absolute, const std::string& text) const {
        const fs::path path = root_ / fs::path(absolute).relative_path();
        fs::create_directories(path.parent_path());
        std::ofstream(path) << text;
    }
    void link(const std::string& absolute, const std::string& target) const {
        const fs::path path = root_ / fs::path(absolute).relative_path();
        fs::create_directories(path.parent_path());
        fs::create_symlink(target, path);
    }
    // A plugged-in Velk device at 1-4, bus 1 address 5, with its node.
    void plugDevice() const {
        write("/sys/bus/usb/devices/1-4/busnum", "1\n");
        write("/sys/bus/usb/devices/1-4/devnum", "5\n");
        write("/dev/bus/usb/001/005", "");
    }
    void installRule() const {
        write("/etc/udev/rules.d/70-velk-series.rules",
              "SUBSYSTEM==\"usb\", ATTR{idVendor}==\"1209\", ATTR{idProduct}==\"0007\", "
              "TAG+=\"uaccess\"\n");
    }

  private:
    fs::path root_;
};

struct Scenario {
    const char* name;
    std::function<void(const StandInRoot&, DoctorInput&)> setUp;
    Check check;
    CheckState state;
    const char* found;  // part of what the check says it found
    bool usable;
};

class DoctorCheck : public ::testing::TestWithParam<Scenario> {};

TEST_P(DoctorCheck, SaysWhatItFound) {
    StandInRoot machine;
    DoctorInput input;
    input.root = machine.root();
    input.listedIds = {{0x1209, 0x0007}};
    GetParam().setUp(machine, input);
    const auto report = RunDoctorChecks(input);
    ASSERT_EQ(report.checks.size(), 6u);
    const auto& check = report.checks[GetParam().check];
    EXPECT_EQ(check.state, GetParam().state) << check.found;
    EXPECT_NE(check.found.find(GetParam().found), std::string::npos) << check.found;
    if (check.state == CheckState::Failed) {
        EXPECT_FALSE(check.fix.empty()) << "a failed check says how to fix it";
    }
    EXPECT_EQ(report.deviceUsable, GetParam().usable);
}

void PluggedAndRuled(const StandInRoot& machine, DoctorInput& input) {
    machine.plugDevice();
    machine.installRule();
    input.devices = {UsbDevice("1-4", 0x1209, 0x0007)};
}

INSTANTIATE_TEST_SUITE_P(
    Machines, DoctorCheck,
    ::testing::Values(
        Scenario{"DeviceFound", PluggedAndRuled, kOnBus, CheckState::Ok, "1-4 (1209:0007)", true},
        Scenario{"RuleFound", PluggedAndRuled, kRule, CheckState::Ok,
                 "/etc/udev/rules.d/70-velk-series.rules", true},
        Scenario{"NodeOpens", PluggedAndRuled, kAccess, CheckState::Ok,
                 "can open /dev/bus/usb/001/005", true},
        Scenario{"NothingHolds", PluggedAndRuled, kHolder, CheckState::Ok, "free", true},
        Scenario{"NoDeviceButAnUnlistedOne",
                 [](const StandInRoot&, DoctorInput& input) {
                     input.unlisted = {UsbDevice("3-1", 0x0483, 0x5740, false)};
                 },
                 kOnBus, CheckState::Failed, "3-1 (0483:5740)", false},
        Scenario{"RuleMissing",
                 [](const StandInRoot& machine, DoctorInput& input) {
                     machine.plugDevice();
                     machine.write("/lib/udev/rules.d/60-other.rules",
                                   "ATTR{idVendor}==\"1209\", ATTR{idProduct}==\"0008\", "
                                   "TAG+=\"uaccess\"\n");
                     input.devices = {UsbDevice("1-4", 0x1209, 0x0007)};
                 },
                 kRule, CheckState::Failed, "names 1209:0007", true},
        Scenario{"KernelDriverBound",
                 [](const StandInRoot& machine, DoctorInput& input) {
                     PluggedAndRuled(machine, input);
                     machine.link("/sys/bus/usb/devices/1-4:1.0/driver",
                                  "../../../bus/usb/drivers/cdc_acm");
                 },
                 kHolder, CheckState::Failed, "kernel driver cdc_acm is bound to 1-4:1.0", true},
        Scenario{"ProgramHoldsIt",
                 [](const StandInRoot& machine, DoctorInput& input) {
                     PluggedAndRuled(machine, input);
                     machine.link("/sys/bus/usb/devices/1-4:1.0/driver",
                                  "../../../bus/usb/drivers/usbfs");
                     machine.write("/proc/4242/comm", "flashtool\n");
                     machine.link("/proc/4242/fd/7", "/dev/bus/usb/001/005");
                     machine.write("/proc/77/comm", "bash\n");
                     machine.link("/proc/77/fd/0", "/dev/pts/1");
                     std::strcpy(input.devices[0].problem, "Velk device in use by another program");
                 },
                 kHolder, CheckState::Failed, "holds 1-4:1.0: flashtool (pid 4242)", false},
        Scenario{"ModemManagerRuns",
                 [](const StandInRoot& machine, DoctorInput&) {
                     machine.write("/proc/812/comm", "ModemManager\n");
                 },
                 kGrabbers, CheckState::Warning, "ModemManager (pid 812)", false},
        Scenario{
            "BrlttyInstalledOnly",
            [](const StandInRoot& machine, DoctorInput&) { machine.write("/usr/bin/brltty", ""); },
            kGrabbers, CheckState::Ok, "/usr/bin/brltty is installed but not running", false},
        Scenario{"SimRunning",
                 [](const StandInRoot&, DoctorInput& input) {
                     VelkDeviceListing sim{};
                     std::strcpy(sim.name, "sim:bench");
                     std::strcpy(sim.path, "sim:/run/user/1000/velk-series/bench.sock");
                     sim.listed = 1;
                     input.devices = {sim};
                 },
                 kSim, CheckState::Ok, "sim:bench", true}),
    [](const auto& scenario) { return std::string(scenario.param.name); });

}  // namespace
