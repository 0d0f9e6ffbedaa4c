// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The full-speed bus model: how many more milliseconds each transfer of a sequence costs, queued
// with the previous one or not.
#include <gtest/gtest.h>

#include <chrono>
#include <cstddef>
#include <string>
#include <vector>

#include "wire_timing.h"

namespace {

struct Transfer {
    std::size_t bytes;
    bool queued;
    long long addedMs;  // expected time after the previous transfer completed
};

struct BusCase {
    std::string name;
    std::vector<Transfer> transfers;
};

class FullSpeedBusTest : public ::testing::TestWithParam<BusCase> {};

TEST_P(FullSpeedBusTest, EachTransferEndsOnTheFrameOfItsLastPacket) {
    velksim::FullSpeedBus bus;
    for (std::size_t i = 0; i < GetParam().transfers.size(); ++i) {
        const Transfer& t = GetParam().transfers[i];
        EXPECT_EQ(bus.carry(t.bytes, t.queued), std::chrono::milliseconds(t.addedMs))
            << "transfer " << i << " (" << t.bytes << " bytes)";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Frames, FullSpeedBusTest,
    ::testing::Values(
        BusCase{"BlockAlone", {{31, false, 1}}},
        BusCase{"EmptyTransferStillTakesAPacket", {{0, false, 1}, {0, true, 0}}},
        BusCase{"QueuedFirstTransferHasNoFrameToShare", {{31, true, 1}}},
        BusCase{"WriteOf512SharesTheBlocksFrame", {{31, false, 1}, {512, true, 0}}},
        BusCase{"ReadOf1KiBSharesTheBlocksFrame", {{31, false, 1}, {1024, true, 0}}},
        BusCase{"NineteenPacketsFillOneFrame", {{31, false, 1}, {18 * 64, true, 0}}},
        BusCase{"TwentiethPacketSpillsIntoTheNextFrame", {{31, false, 1}, {19 * 64, true, 1}}},
        BusCase{"LongReadFillsTheRestThenWholeFrames", {{31, false, 1}, {255 * 64, true, 13}}},
        BusCase{"UnqueuedTransferStartsOnTheNextFrame",
                {{31, false, 1}, {1024, false, 1}, {31, false, 1}, {512, false, 1}}},
        BusCase{"FullFrameLeavesNoRoom", {{19 * 64, false, 1}, {31, true, 1}}},
        BusCase{
            "SpillCarriesItsRemainderIntoTheNextShare",
            {{31, false, 1}, {20 * 64, true, 1}, {31, true, 0}, {17 * 64, true, 1}, {64, true, 0}}},
        BusCase{"ShortLastPacketCountsWhole", {{31, false, 1}, {18 * 64 + 1, true, 1}}}),
    [](const auto& param) { return param.param.name; });

}  // namespace
