// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// A virtual-device fixture for the runs of one engine: the sink they report to, faults that start
// at a step of the run, and the check that a run refused before the device was opened left no
// trace.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "recording_sink.h"
#include "virtual_device_fixture.h"

namespace nuvrel::testing {

class EngineRunTest : public VirtualDeviceTest {
  protected:
    // For the tests' own sinks and hooks.
    using RecordingSink = nuvrel::testing::RecordingSink;
    using SinkEvent = nuvrel::testing::SinkEvent;
    using Kind = SinkEvent::Kind;

    // Nothing was sent, the name slot does not carry name and the sink heard nothing.
    void expectNothingSent(std::uint8_t nameSlot, const std::string& name) {
        EXPECT_TRUE(sim().commandLog().empty());
        EXPECT_NE(sim().fileName(nameSlot), name);
        EXPECT_TRUE(sink_.events().empty());
    }

    // Each time the run reports status (for example "Writing"), the device takes faults: they
    // hit the transfers from that step on.
    void faultsFrom(const std::string& status, const velksim::FaultOptions& faults) {
        sink_.onEvent = [this, status, faults](const SinkEvent& event) {
            if (event.kind == Kind::Status && event.text == status) {
                sim().setFaults(faults);
            }
        };
    }

    RecordingSink sink_;
};

}  // namespace nuvrel::testing
