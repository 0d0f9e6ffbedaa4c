// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// A virtual device in this process, found by the library through its socket backend, with the
// library reset and the erase-poll sleep removed for each test.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "testing/testing_hooks.h"
#include "velk_series/velk_series.h"
#include "velk_sim/sim_harness.h"

namespace velksim_test {

using Bytes = std::vector<std::uint8_t>;

class SimTest : public ::testing::Test {
  protected:
    void TearDown() override {
        if (device_ != VELK_INVALID_DEVICE && device_ != nullptr) {
            CloseVelkDevice(device_);
        }
        sim_.reset();
        velk::resetLibraryForTesting();
    }

    // Starts a device with this configuration and opens it through the library.
    void plugIn(velksim::DeviceConfig config = {}, velksim::ServerOptions options = {}) {
        velk::resetLibraryForTesting();
        velk::setPollSleepForTesting([](std::chrono::milliseconds) {});
        sim_ = std::make_unique<velksim::SimServer>(config, options);
        std::string error;
        ASSERT_TRUE(sim_->start(&error)) << error;
        device_ = OpenVelkDevice();
        ASSERT_NE(device_, VELK_INVALID_DEVICE);
    }

    velksim::SimServer& sim() { return *sim_; }
    DeviceHandle device() const { return device_; }

    velksim::ScopedRuntimeDir runtime_;
    std::unique_ptr<velksim::SimServer> sim_;
    DeviceHandle device_ = nullptr;
};

// A recognisable pattern: byte i of the image at `offset`.
inline Bytes pattern(std::size_t length, std::uint32_t seed) {
    Bytes bytes(length);
    for (std::size_t i = 0; i < length; ++i) {
        bytes[i] = static_cast<std::uint8_t>((i * 7 + seed * 13 + (i >> 8)) & 0xFF);
    }
    return bytes;
}

}  // namespace velksim_test
