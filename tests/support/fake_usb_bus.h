// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// A USB bus for tests, below the library's USB backend: devices are descriptor records, opening
// one is recorded and gives a connection that acknowledges every OUT transfer. With
// FakeUsbSession the library sees only this bus, reads its ID files and device nodes under a
// scratch root, and the user's ID file from a scratch config folder.
//
//   velk::testing::FakeUsbSession usb;
//   usb.bus().plug(velk::testing::velkShaped("1-4", 0x1209, 0x0007));
//   usb.writeSystemIdFile("abcd:0001 bench unit\n");
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "temp_folder.h"
#include "testing/testing_hooks.h"
#include "transport/transport.h"
#include "usb/libusb_backend.h"
#include "usb/system_root.h"
#include "usb/usb_bus.h"

namespace velk::testing {

// A device with the protocol's interface: bulk IN 0x81 and bulk OUT 0x02 of `packet` bytes.
inline UsbDeviceRecord velkShaped(std::string port, std::uint16_t vendor, std::uint16_t product,
                                  std::uint16_t packet = 64) {
    UsbDeviceRecord device;
    device.port = std::move(port);
    device.vendor = vendor;
    device.product = product;
    device.configurationKnown = true;
    device.interfaces = {{0, {{0x81, 0x02, packet}, {0x02, 0x02, packet}}}};
    return device;
}

class FakeUsbBus final : public UsbBus {
  public:
    void plug(UsbDeviceRecord device) { devices_.push_back(std::move(device)); }

    std::vector<UsbDeviceRecord> devices() override { return devices_; }

    OpenResult open(const UsbDeviceRecord& device, const BulkPipes& /*pipes*/) override {
        ++opens_[device.port];
        return {std::make_unique<AckingConnection>(), OpenRefusal::None};
    }

    int opens(const std::string& port) const {
        const auto found = opens_.find(port);
        return found == opens_.end() ? 0 : found->second;
    }

  private:
    class AckingConnection final : public Connection {
      public:
        TransferResult bulkOut(std::span<const std::uint8_t> data,
                               std::chrono::milliseconds) override {
            return {TransferStatus::Ok, data.size()};
        }
        TransferResult bulkIn(std::span<std::uint8_t>, std::chrono::milliseconds) override {
            return {TransferStatus::TimedOut, 0};
        }
    };

    std::vector<UsbDeviceRecord> devices_;
    std::map<std::string, int> opens_;
};

class FakeUsbSession {
  public:
    FakeUsbSession() {
        resetLibraryForTesting();
        const char* config = std::getenv("XDG_CONFIG_HOME");
        savedConfig_ = config != nullptr ? std::make_unique<std::string>(config) : nullptr;
        ::setenv("XDG_CONFIG_HOME", folder_.file("config").c_str(), 1);
        setSystemRootForTesting(folder_.file("root").string());
        overrideUsbBusForTesting(&bus_);
        overrideBackendsForTesting({libusbBackend()});
    }
    ~FakeUsbSession() {
        resetLibraryForTesting();
        if (savedConfig_) {
            ::setenv("XDG_CONFIG_HOME", savedConfig_->c_str(), 1);
        } else {
            ::unsetenv("XDG_CONFIG_HOME");
        }
    }
    FakeUsbSession(const FakeUsbSession&) = delete;
    FakeUsbSession& operator=(const FakeUsbSession&) = delete;

    FakeUsbBus& bus() { return bus_; }
    // A path under the stand-in root ("/dev/bus/usb/001/002" -> <scratch>/root/dev/...).
    std::filesystem::path underRoot(const std::string& absolute) const {
        return folder_.file("root").string() + absolute;
    }
    std::string writeSystemIdFile(const std::string& text) const {
        return write(underRoot("/etc/velk-series/usb-ids"), text);
    }
    std::string writeUserIdFile(const std::string& text) const {
        return write(folder_.file("config") / "velk-series" / "usb-ids", text);
    }

  private:
    static std::string write(const std::filesystem::path& path, const std::string& text) {
        std::filesystem::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
        return path.string();
    }

    nuvrel::testing::TempFolder folder_;
    FakeUsbBus bus_;
    std::unique_ptr<std::string> savedConfig_;
};

}  // namespace velk::testing
