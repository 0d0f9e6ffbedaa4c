// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The device gate: one lease at a time, the busy flag as the library's callers expect it, and the
// lease given back on every way out.
#include <gtest/gtest.h>
#include <velk_series/velk_series.h>

#include <atomic>
#include <functional>
#include <stdexcept>
#include <thread>
#include <vector>

#include "engine/device_gate.h"

namespace nuvrel {
namespace {

class DeviceGateTest : public ::testing::Test {
  protected:
    void SetUp() override { SetVelkDeviceProcessed(0); }
    void TearDown() override { SetVelkDeviceProcessed(0); }
};

TEST_F(DeviceGateTest, OneLeaseAtATimeWithTheBusyFlagSetWhileHeld) {
    std::optional<DeviceLease> first = DeviceGate::tryAcquire();
    ASSERT_TRUE(first.has_value());
    EXPECT_EQ(IsVelkDeviceProcessed(), 1);
    EXPECT_TRUE(DeviceGate::inUse());
    EXPECT_FALSE(DeviceGate::tryAcquire().has_value());

    first->release();
    EXPECT_EQ(IsVelkDeviceProcessed(), 0);
    EXPECT_FALSE(DeviceGate::inUse());
    EXPECT_TRUE(DeviceGate::tryAcquire().has_value());
}

TEST_F(DeviceGateTest, AFlagSetElsewhereKeepsTheGateClosed) {
    SetVelkDeviceProcessed(1);
    EXPECT_TRUE(DeviceGate::inUse());
    EXPECT_FALSE(DeviceGate::tryAcquire().has_value());
    EXPECT_EQ(IsVelkDeviceProcessed(), 1) << "a refused acquire leaves the flag alone";
}

TEST_F(DeviceGateTest, AFailedTransferClearsTheFlagButNotTheLease) {
    std::optional<DeviceLease> lease = DeviceGate::tryAcquire();
    ASSERT_TRUE(lease.has_value());
    // What the library does when one of its commands fails.
    SetVelkDeviceProcessed(0);
    EXPECT_TRUE(DeviceGate::inUse());
    EXPECT_FALSE(DeviceGate::tryAcquire().has_value());
    lease.reset();
    EXPECT_FALSE(DeviceGate::inUse());
}

// Each way an operation can end, given the lease it holds.
using LeaseEnding = std::function<void(std::optional<DeviceLease>&)>;

class LeaseEndingTest : public DeviceGateTest, public ::testing::WithParamInterface<LeaseEnding> {};

TEST_P(LeaseEndingTest, GivesTheDeviceBackOnce) {
    std::optional<DeviceLease> lease = DeviceGate::tryAcquire();
    ASSERT_TRUE(lease.has_value());
    GetParam()(lease);
    EXPECT_FALSE(DeviceGate::inUse());
    EXPECT_EQ(IsVelkDeviceProcessed(), 0);

    // A later end of whatever is left over must not release someone else's lease.
    std::optional<DeviceLease> next = DeviceGate::tryAcquire();
    ASSERT_TRUE(next.has_value());
    lease.reset();
    EXPECT_TRUE(DeviceGate::inUse());
    EXPECT_EQ(IsVelkDeviceProcessed(), 1);
}

INSTANTIATE_TEST_SUITE_P(
    Endings, LeaseEndingTest,
    ::testing::Values([](std::optional<DeviceLease>& lease) { lease->release(); },
                      [](std::optional<DeviceLease>& lease) {
                          lease->release();
                          lease->release();
                      },
                      [](std::optional<DeviceLease>& lease) { lease.reset(); },
                      [](std::optional<DeviceLease>& lease) {
                          // Moved into the work that ends it; what stays behind holds nothing.
                          DeviceLease moved(std::move(*lease));
                          EXPECT_FALSE(lease->held());
                      },
                      [](std::optional<DeviceLease>& lease) {
                          try {
                              DeviceLease held(std::move(*lease));
                              throw std::runtime_error("the operation failed");
                          } catch (const std::runtime_error&) {
                          }
                      }));

TEST_F(DeviceGateTest, ThreadsRacingForTheGateGetOneLease) {
    constexpr int kThreads = 8;
    std::atomic<int> winners{0};
    std::atomic<bool> go{false};
    std::vector<std::optional<DeviceLease>> leases(kThreads);
    std::vector<std::thread> threads;
    for (int i = 0; i < kThreads; ++i) {
        threads.emplace_back([&, i] {
            while (!go.load()) {
                std::this_thread::yield();
            }
            leases[static_cast<std::size_t>(i)] = DeviceGate::tryAcquire();
            if (leases[static_cast<std::size_t>(i)].has_value()) {
                ++winners;
            }
        });
    }
    go = true;
    for (std::thread& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(winners.load(), 1);
}

}  // namespace
}  // namespace nuvrel
