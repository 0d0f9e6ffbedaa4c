// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// A refused open comes back from the engine as a value, with the library's own reason, and a
// reason given to an earlier open is never taken for a later one.
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>

#include "engine/device_dump.h"
#include "engine/device_session.h"
#include "engine/open_refusal.h"
#include "recording_sink.h"
#include "virtual_device_fixture.h"

namespace nuvrel {
namespace {

void VELK_CALL forwardRefusals(void*, const char*, const char* text, int icon) {
    noteIfOpenRefusal(icon, text);
}

class OpenRefusalTest : public testing::VirtualDeviceTest {
  protected:
    OpenRefusalTest() { SetVelkMessageHandler(&forwardRefusals, nullptr); }
};

TEST_F(OpenRefusalTest, AnEngineOnADeviceAnotherProgramHoldsEndsWithTheReason) {
    plug();
    std::optional<velksim::OtherHost> holder(std::in_place, sim().socketPath());
    ASSERT_TRUE(holder->holds());

    DeviceDump dump;
    dump.outputPath = folder_.file("dump.bin").string();
    dump.length = 1024;
    dump.wordAt = [](std::uint32_t offset) { return offset / 2; };
    testing::RecordingSink sink;
    const OperationOutcome outcome = DumpDeviceToFile(dump, sink);

    EXPECT_EQ(outcome.result, OperationResult::NoDevice);
    EXPECT_EQ(outcome.openRefusal, "Velk device in use by another program");
    EXPECT_FALSE(std::filesystem::exists(dump.outputPath));

    // Once the other program lets go, the next session opens and owes nothing to the old refusal.
    holder.reset();
    const DeviceSession session;
    EXPECT_TRUE(session.opened());
    EXPECT_TRUE(session.refusal().empty());
}

TEST_F(OpenRefusalTest, NoDeviceAtAllIsNoRefusal) {
    noteIfOpenRefusal(VELK_ICON_REFUSAL, "an earlier program's reason");
    const DeviceSession session;
    EXPECT_FALSE(session.opened());
    EXPECT_TRUE(session.refusal().empty());
    EXPECT_TRUE(session.notOpened().openRefusal.empty());
}

}  // namespace
}  // namespace nuvrel
