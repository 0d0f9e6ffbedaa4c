// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "doctor_checks.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>

#include "device_listing.h"
#include "printable_text.h"

namespace nuvrel::cli {
namespace {

namespace fs = std::filesystem;

constexpr const char* kRuleFolders[] = {"/etc/udev/rules.d", "/run/udev/rules.d",
                                        "/lib/udev/rules.d", "/usr/lib/udev/rules.d"};
constexpr const char* kInstallRule =
    "nuvrel-cli udev-rule | sudo tee /etc/udev/rules.d/70-velk-series.rules, then "
    "sudo udevadm control --reload and plug the device in again";

fs::path Under(const fs::path& root, const std::string& absolute) {
    return root / fs::path(absolute).relative_path();
}

std::string FirstLine(const fs::path& path) {
    std::ifstream file(path);
    std::string line;
    std::getline(file, line);
    return line;
}

std::vector<VelkDeviceListing> UsbOnly(const std::vector<VelkDeviceListing>& devices) {
    std::vector<VelkDeviceListing> usb;
    std::copy_if(devices.begin(), devices.end(), std::back_inserter(usb),
                 [](const VelkDeviceListing& device) { return !IsVirtual(device); });
    return usb;
}

// "1-4.2 (1209:0007)" for each, joined.
std::string Names(const std::vector<VelkDeviceListing>& devices) {
    std::string names;
    for (const VelkDeviceListing& device : devices) {
        names += (names.empty() ? "" : ", ") + Printable(device.name) + " (" +
                 UsbIdText(device.vendorId, device.productId) + ")";
    }
    return names;
}

// The rule file in a udev rules folder that names this ID; empty when none does.
std::string RuleFileFor(const fs::path& root, std::uint16_t vendor, std::uint16_t product) {
    const std::string id = UsbIdText(vendor, product);
    const std::string vendorText = "ATTR{idVendor}==\"" + id.substr(0, 4) + "\"";
    const std::string productText = "ATTR{idProduct}==\"" + id.substr(5) + "\"";
    for (const char* folder : kRuleFolders) {
        std::error_code error;
        for (const auto& entry : fs::directory_iterator(Under(root, folder), error)) {
            std::error_code typeError;
            if (entry.path().extension() != ".rules" || !entry.is_regular_file(typeError)) {
                continue;
            }
            std::ifstream file(entry.path());
            std::string line;
            while (std::getline(file, line)) {
                if (line.find(vendorText) != std::string::npos &&
                    line.find(productText) != std::string::npos &&
                    line.find("uaccess") != std::string::npos) {
                    return std::string(folder) + "/" + entry.path().filename().string();
                }
            }
        }
    }
    return {};
}

std::string NodePath(const fs::path& root, const VelkDeviceListing& device) {
    const fs::path sys = Under(root, "/sys/bus/usb/devices") / device.name;
    const std::string bus = FirstLine(sys / "busnum");
    const std::string address = FirstLine(sys / "devnum");
    if (bus.empty() || address.empty()) {
        return {};
    }
    char path[40];
    std::snprintf(path, sizeof path, "/dev/bus/usb/%03d/%03d", std::atoi(bus.c_str()),
                  std::atoi(address.c_str()));
    return path;
}

// Names of processes ("ModemManager (pid 812)") whose open files include `target`, or whose
// command name is `command`.
std::vector<std::string> Processes(const fs::path& root, const std::string& target,
                                   const std::string& command) {
    std::vector<std::string> found;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(Under(root, "/proc"), error)) {
        const std::string pid = entry.path().filename().string();
        if (pid.empty() ||
            !std::all_of(pid.begin(), pid.end(), [](char c) { return c >= '0' && c <= '9'; })) {
            continue;
        }
        const std::string name = FirstLine(entry.path() / "comm");
        bool matches = !command.empty() && name == command;
        std::error_code fdError;
        for (const auto& fd : fs::directory_iterator(entry.path() / "fd", fdError)) {
            std::error_code linkError;
            if (!target.empty() && fs::read_symlink(fd.path(), linkError) == target) {
                matches = true;
            }
        }
        if (matches) {
            found.push_back(Printable(name) + " (pid " + pid + ")");
        }
    }
    std::sort(found.begin(), found.end());
    return found;
}

// The kernel drivers bound to a device's interfaces ("cdc_acm on 1-4:1.0"); "usbfs" is a
// program holding it through libusb.
std::vector<std::pair<std::string, std::string>> InterfaceDrivers(const fs::path& root,
                                                                  const std::string& port) {
    std::vector<std::pair<std::string, std::string>> drivers;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(Under(root, "/sys/bus/usb/devices"), error)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind(port + ":", 0) != 0) {
            continue;
        }
        std::error_code linkError;
        const fs::path driver = fs::read_symlink(entry.path() / "driver", linkError);
        if (!linkError) {
            drivers.emplace_back(name, driver.filename().string());
        }
    }
    std::sort(drivers.begin(), drivers.end());
    return drivers;
}

CheckResult DeviceOnBus(const DoctorInput& input, const std::vector<VelkDeviceListing>& usb) {
    CheckResult check{"USB device with a listed ID", CheckState::Ok, {}, {}};
    if (!usb.empty()) {
        check.found = Names(usb);
        return check;
    }
    check.state = CheckState::Failed;
    check.found = "none on the bus (" + std::to_string(input.listedIds.size()) + " IDs listed)";
    if (!input.unlisted.empty()) {
        check.found += "; off the list but of the Velk interface shape: " + Names(input.unlisted);
        const VelkDeviceListing& first = input.unlisted.front();
        check.fix = "if " + Printable(first.name) + " is your device, add its ID: echo '" +
                    UsbIdText(first.vendorId, first.productId) +
                    " my Velk device' >> ~/.config/velk-series/usb-ids";
    } else {
        check.fix =
            "plug the device in; nuvrel-cli devices --all-usb shows the USB devices that "
            "could be one";
    }
    return check;
}

CheckResult RuleInstalled(const DoctorInput& input, const std::vector<VelkDeviceListing>& usb) {
    CheckResult check{"udev rule covering the device", CheckState::NotApplicable, {}, {}};
    if (usb.empty()) {
        check.found = "no USB device to check";
        return check;
    }
    std::vector<std::string> missing;
    std::vector<std::string> files;
    for (const VelkDeviceListing& device : usb) {
        const std::string file = RuleFileFor(input.root, device.vendorId, device.productId);
        (file.empty() ? missing : files)
            .push_back(file.empty() ? UsbIdText(device.vendorId, device.productId) : file);
    }
    if (missing.empty()) {
        check.state = CheckState::Ok;
        check.found = "in " + files.front();
        return check;
    }
    check.state = CheckState::Failed;
    check.found = "no rule in the udev rules folders names " + missing.front();
    check.fix = kInstallRule;
    return check;
}

CheckResult NodeAccess(const DoctorInput& input, const std::vector<VelkDeviceListing>& usb) {
    CheckResult check{"this user's access to the device node", CheckState::NotApplicable, {}, {}};
    for (const VelkDeviceListing& device : usb) {
        const std::string node = NodePath(input.root, device);
        if (node.empty()) {
            continue;
        }
        const fs::path path = Under(input.root, node);
        if (::access(path.c_str(), R_OK | W_OK) != 0) {
            check.state = CheckState::Failed;
            check.found = "cannot open " + node + " for reading and writing";
            check.fix = std::string(kInstallRule) +
                        " (log in at the seat: uaccess is for the user "
                        "at the machine)";
            return check;
        }
        check.state = CheckState::Ok;
        check.found = "can open " + node;
    }
    if (check.state == CheckState::NotApplicable) {
        check.found = usb.empty() ? "no USB device to check" : "device node not found";
    }
    return check;
}

CheckResult InterfaceHolder(const DoctorInput& input, const std::vector<VelkDeviceListing>& usb) {
    CheckResult check{"nothing else holding the interface", CheckState::NotApplicable, {}, {}};
    if (usb.empty()) {
        check.found = "no USB device to check";
        return check;
    }
    check.state = CheckState::Ok;
    check.found = "free";
    for (const VelkDeviceListing& device : usb) {
        for (const auto& [interface, driver] : InterfaceDrivers(input.root, device.name)) {
            check.state = CheckState::Failed;
            if (driver == "usbfs") {
                const std::vector<std::string> holders =
                    Processes(input.root, NodePath(input.root, device), {});
                check.found = "another program holds " + interface +
                              (holders.empty() ? "" : ": " + holders.front());
                check.fix = "close that program (a second nuvrel-cli or Nuvrel counts)";
            } else {
                check.found = "kernel driver " + Printable(driver) + " is bound to " + interface;
                check.fix =
                    "the library detaches it when it opens the device; if opening still "
                    "fails, unload it: sudo modprobe -r " +
                    Printable(driver);
            }
            return check;
        }
        if (std::string(device.problem).find("in use") != std::string::npos) {
            check.state = CheckState::Failed;
            check.found = Printable(device.problem);
            check.fix = "close the other program that has the device open";
        }
    }
    return check;
}

CheckResult SerialGrabbers(const DoctorInput& input) {
    CheckResult check{"ModemManager or brltty", CheckState::Ok, "neither is running", {}};
    std::vector<std::string> running = Processes(input.root, {}, "ModemManager");
    const std::vector<std::string> brltty = Processes(input.root, {}, "brltty");
    running.insert(running.end(), brltty.begin(), brltty.end());
    if (!running.empty()) {
        check.state = CheckState::Warning;
        check.found = running.front() + " is running and may probe a new USB device";
        check.fix =
            "the udev rule keeps ModemManager off (ENV{ID_MM_DEVICE_IGNORE}); brltty "
            "can be removed with sudo apt remove brltty if it takes the device";
        return check;
    }
    for (const char* program : {"/usr/sbin/ModemManager", "/usr/bin/brltty", "/bin/brltty"}) {
        std::error_code error;
        if (fs::exists(Under(input.root, program), error)) {
            check.found = std::string(program) + " is installed but not running";
            return check;
        }
    }
    return check;
}

CheckResult VirtualDevices(const DoctorInput& input) {
    CheckResult check{"a running velk-sim", CheckState::NotApplicable, "none", {}};
    for (const VelkDeviceListing& device : input.devices) {
        if (IsVirtual(device)) {
            check.state = device.problem[0] == '\0' ? CheckState::Ok : CheckState::Warning;
            check.found = Printable(device.name) +
                          (device.problem[0] == '\0' ? "" : ": " + Printable(device.problem));
            return check;
        }
    }
    return check;
}

}  // namespace

const char* StateTag(CheckState state) {
    switch (state) {
        case CheckState::Ok:
            return "ok  ";
        case CheckState::Warning:
            return "warn";
        case CheckState::Failed:
            return "FAIL";
        case CheckState::NotApplicable:
            break;
    }
    return "--  ";
}

DoctorReport RunDoctorChecks(const DoctorInput& input) {
    const std::vector<VelkDeviceListing> usb = UsbOnly(input.devices);
    DoctorReport report;
    report.checks = {DeviceOnBus(input, usb),     RuleInstalled(input, usb), NodeAccess(input, usb),
                     InterfaceHolder(input, usb), SerialGrabbers(input),     VirtualDevices(input)};
    report.deviceUsable = std::any_of(
        input.devices.begin(), input.devices.end(),
        [](const VelkDeviceListing& d) { return d.listed != 0 && d.problem[0] == '\0'; });
    return report;
}

}  // namespace nuvrel::cli
