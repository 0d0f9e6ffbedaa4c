// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// A private runtime folder (so the child finds only our device), a scratch folder, and an
// in-process virtual device started on request.
#pragma once

#include <gtest/gtest.h>
#include <velk_sim/sim_harness.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "child_process.h"
#include "file_bytes.h"
#include "genesis_image.h"

namespace clitest {

using nuvrel::testing::MakeGenesisImage;
using nuvrel::testing::SmdFile;

class CliTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/nuvrel-cli-test-XXXXXX";
        folder_ = mkdtemp(pattern);
    }
    void TearDown() override {
        sim_.reset();
        std::filesystem::remove_all(folder_);
    }

    velksim::SimServer& StartDevice(velksim::DeviceConfig config = {}) {
        config.erasePolls = 0;
        sim_ = std::make_unique<velksim::SimServer>(config);
        std::string error;
        EXPECT_TRUE(sim_->start(&error)) << error;
        return *sim_;
    }

    std::string Path(const std::string& name) const { return (folder_ / name).string(); }

    // The arguments of every command that uses the device. The files they read (game.bin,
    // save.srm) are written here; out.bin and out.srm are where the reads would go.
    std::vector<std::vector<std::string>> EveryDeviceCommand() const {
        WriteBytes(Path("game.bin"), MakeGenesisImage(4096, "GAME"));
        WriteBytes(Path("save.srm"), std::vector<std::uint8_t>(1024, 0x55));
        return {{"info"},
                {"rom", "write", Path("game.bin")},
                {"rom", "read", Path("out.bin")},
                {"rom", "header", "--device"},
                {"sram", "read", Path("out.srm")},
                {"sram", "write", Path("save.srm")},
                {"sram", "clear"},
                {"compat"}};
    }

    velksim::ScopedRuntimeDir runtime_;
    std::filesystem::path folder_;
    std::unique_ptr<velksim::SimServer> sim_;
};

// The last line a run printed on a stream.
inline bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

inline std::string LastLine(const std::string& text) {
    const auto lines = Lines(text);
    return lines.empty() ? std::string() : lines.back();
}

}  // namespace clitest
