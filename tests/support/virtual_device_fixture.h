// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// A test fixture with a virtual device plugged into a private runtime folder, a temp folder for
// files, and the library's messages captured instead of printed.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

#include <velk_series/velk_series.h>
#include <velk_sim/sim_harness.h>

#include "temp_folder.h"

namespace nuvrel::testing {

class VirtualDeviceTest : public ::testing::Test {
  protected:
    VirtualDeviceTest() { SetVelkMessageHandler(&VirtualDeviceTest::captureMessage, this); }
    ~VirtualDeviceTest() override { SetVelkMessageHandler(nullptr, nullptr); }

    // Plugs in a device; erases finish at once so no run waits for status polls.
    void plug(velksim::DeviceConfig config = {}) {
        config.erasePolls = 0;
        sim_ = std::make_unique<velksim::SimServer>(config);
        std::string error;
        ASSERT_TRUE(sim_->start(&error)) << error;
    }

    velksim::SimServer& sim() { return *sim_; }

    std::vector<velksim::CommandRecord> commands(const std::string& name) const {
        std::vector<velksim::CommandRecord> out;
        for (const auto& record : sim_->commandLog()) {
            if (record.name == name) {
                out.push_back(record);
            }
        }
        return out;
    }

    // The word addresses the named command was sent with, in the order they came.
    std::vector<std::uint32_t> commandAddresses(const std::string& name) const {
        std::vector<std::uint32_t> words;
        for (const auto& record : commands(name)) {
            words.push_back(record.address);
        }
        return words;
    }

    // Deterministic data with a good share of every byte value.
    static std::vector<std::uint8_t> RandomBytes(std::size_t size, unsigned seed) {
        std::mt19937 engine(seed);
        std::vector<std::uint8_t> bytes(size);
        for (auto& b : bytes) {
            b = static_cast<std::uint8_t>(engine() & 0xFF);
        }
        return bytes;
    }

    std::vector<std::string> messages_;
    TempFolder folder_;

  private:
    static void VELK_CALL captureMessage(void* context, const char*, const char* text, int) {
        static_cast<VirtualDeviceTest*>(context)->messages_.emplace_back(text);
    }

    velksim::ScopedRuntimeDir runtime_;
    std::unique_ptr<velksim::SimServer> sim_;
};

}  // namespace nuvrel::testing
