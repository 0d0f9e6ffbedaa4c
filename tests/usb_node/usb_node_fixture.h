// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later
// What the USB node tests share: a private runtime folder (no velk-sim is found, only the
// emulated USB devices), a private configuration folder (the user's ID file), a scratch folder
// and the node with its devices.
#pragma once

#include <gtest/gtest.h>
#include <velk_sim/sim_harness.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "genesis_image.h"
#include "program_run.h"
#include "usb_node.h"

namespace usbnodetest {

using nuvrel::testing::MakeGenesisImage;

// What `rom read` dumps from the emulated device: its whole ROM space.
inline constexpr std::size_t kRomBytes = 4u << 20;

// A device whose erases finish without status polls, on port 1-2.
inline velkusb::NodeDeviceConfig quickDevice(const std::string& port = "1-2",
                                             const std::string& serial = "VELK0001") {
    velkusb::NodeDeviceConfig config;
    config.device.erasePolls = 0;
    config.port = port;
    config.serial = serial;
    return config;
}

class UsbNodeTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/velk-usb-node-test-XXXXXX";
        folder_ = mkdtemp(pattern);
        std::filesystem::create_directories(folder_ / "config");
        setenv("XDG_CONFIG_HOME", (folder_ / "config").c_str(), 1);
        node_ = std::make_unique<velkusb::UsbNode>();
    }
    void TearDown() override {
        node_.reset();
        std::filesystem::remove_all(folder_);
    }

    std::size_t plug(velkusb::NodeDeviceConfig config = quickDevice()) {
        return node_->add(std::move(config));
    }
    velkusb::UsbNode& node() { return *node_; }
    std::string path(const std::string& name) const { return (folder_ / name).string(); }

    velksim::ScopedRuntimeDir runtime_;
    std::filesystem::path folder_;
    std::unique_ptr<velkusb::UsbNode> node_;
};

inline bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

}  // namespace usbnodetest
