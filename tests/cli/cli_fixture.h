// A private runtime folder (so the child finds only our device), a scratch folder, and an
// in-process virtual device started on request.
#pragma once

#include <gtest/gtest.h>
#include <velk_sim/sim_harness.h>

#include <filesystem>
#include <memory>
#include <string>

#include "child_process.h"
#include "genesis_image.h"

namespace clitest {

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

    velksim::ScopedRuntimeDir runtime_;
    std::filesystem::path folder_;
    std::unique_ptr<velksim::SimServer> sim_;
};

// The last line a run printed on a stream.
inline std::string LastLine(const std::string& text) {
    const auto lines = Lines(text);
    return lines.empty() ? std::string() : lines.back();
}

}  // namespace clitest
