// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Counted open and close with the recorder standing in for the device.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "device_test_fixture.h"
#include "recording_backend.h"
#include "testing/testing_hooks.h"
#include "transport/transport.h"
#include "velk_series/velk_series.h"

namespace {

using velk::testing::RecorderSession;

TEST(OpenClose, NestedOpenSharesThePipesWithoutEnumerating) {
    RecorderSession session;
    DeviceHandle first = OpenVelkDevice();
    ASSERT_NE(first, VELK_INVALID_DEVICE);
    ASSERT_NE(first, nullptr);
    const int enumerationsAfterFirst = session.device().enumerations();
    EXPECT_EQ(session.device().opens(), 1) << "both pipes must share one connection";

    DeviceHandle second = OpenVelkDevice();
    EXPECT_EQ(second, first);
    EXPECT_EQ(session.device().enumerations(), enumerationsAfterFirst);
    EXPECT_TRUE(session.device().transfers().empty());

    CloseVelkDevice(second);
    EXPECT_EQ(session.device().liveConnections(), 1) << "one close of two must keep pipes open";
    uint32_t sent = 0;
    const uint8_t byte = 0x5A;
    EXPECT_NE(Write(first, &byte, 1, &sent, nullptr), 0);
    EXPECT_EQ(sent, 1u);

    CloseVelkDevice(first);
    EXPECT_EQ(session.device().liveConnections(), 0);
}

TEST(OpenClose, EachPipeOpenEnumeratesAfresh) {
    RecorderSession session;
    DeviceHandle device = OpenVelkDevice();
    ASSERT_NE(device, VELK_INVALID_DEVICE);
    EXPECT_EQ(session.device().enumerations(), 2);
    CloseVelkDevice(device);
}

TEST(OpenClose, NoDeviceGivesInvalidAndTheNextOpenFindsAnAttachedDevice) {
    RecorderSession session;
    session.device().setPresent(false);
    EXPECT_EQ(OpenVelkDevice(), VELK_INVALID_DEVICE);
    EXPECT_EQ(OpenVelkDevice(), VELK_INVALID_DEVICE) << "a failed open must not count as open";

    session.device().setPresent(true);
    DeviceHandle device = OpenVelkDevice();
    EXPECT_NE(device, VELK_INVALID_DEVICE);
    CloseVelkDevice(device);
    EXPECT_EQ(session.device().liveConnections(), 0) << "one close must end the one good open";
}

TEST(OpenClose, FailingSecondPipeClosesTheFirst) {
    RecorderSession session;
    session.device().unplugAfterEnumerations(1);
    EXPECT_EQ(OpenVelkDevice(), VELK_INVALID_DEVICE);
    EXPECT_EQ(session.device().liveConnections(), 0);
}

TEST(OpenClose, RefusedOpenGivesInvalid) {
    RecorderSession session;
    session.device().refuseOpen(true);
    EXPECT_EQ(OpenVelkDevice(), VELK_INVALID_DEVICE);
    session.device().refuseOpen(false);
    DeviceHandle device = OpenVelkDevice();
    EXPECT_NE(device, VELK_INVALID_DEVICE);
    CloseVelkDevice(device);
}

// A device that is there but cannot be had: the open says why, once, through the handler.
struct RefusalCase {
    velk::OpenRefusal reason;
    std::vector<std::string> textParts;  // what the user must learn from the text
};

class OpenRefusalReport : public ::testing::TestWithParam<RefusalCase> {
  protected:
    void SetUp() override {
        SetVelkMessageHandler(&velk_test::remember, &shown_);
        session_.device().refuseOpen(true, GetParam().reason);
    }
    void TearDown() override { SetVelkMessageHandler(nullptr, nullptr); }

    void expectTheReasonOnce() {
        EXPECT_EQ(shown_.calls, 1);
        EXPECT_EQ(shown_.icon, VELK_ICON_REFUSAL);
        EXPECT_EQ(shown_.caption, "");
        for (const std::string& part : GetParam().textParts) {
            EXPECT_NE(shown_.text.find(part), std::string::npos) << shown_.text;
        }
    }

    RecorderSession session_;
    velk_test::Shown shown_;
};

TEST_P(OpenRefusalReport, OpenFailsAndSaysWhyOnce) {
    EXPECT_EQ(OpenVelkDevice(), VELK_INVALID_DEVICE);
    expectTheReasonOnce();
}

TEST_P(OpenRefusalReport, GetMaxSizeShowsTheReasonInsteadOfDeviceNotDetected) {
    EXPECT_EQ(GetMaxSize(nullptr, nullptr, 1), 0u);
    expectTheReasonOnce();
    // Handed the -1 of a refused open, it does not add "Device Not Detected!" either.
    shown_ = {};
    EXPECT_EQ(GetMaxSize(VELK_INVALID_DEVICE, nullptr, 1), 0u);
    EXPECT_EQ(shown_.calls, 0);
}

TEST_P(OpenRefusalReport, IsVelkBrivoSaysWhyItFoundNoBrivo) {
    EXPECT_EQ(IsVelkBrivo(nullptr), 0);
    expectTheReasonOnce();
}

TEST_P(OpenRefusalReport, TheDeviceOnceFreeOpensAndNoDeviceIsNotDetectedAgain) {
    EXPECT_EQ(OpenVelkDevice(), VELK_INVALID_DEVICE);
    session_.device().refuseOpen(false);
    DeviceHandle device = OpenVelkDevice();
    EXPECT_NE(device, VELK_INVALID_DEVICE);
    CloseVelkDevice(device);
    session_.device().setPresent(false);
    shown_ = {};
    EXPECT_EQ(GetMaxSize(nullptr, nullptr, 1), 0u);
    EXPECT_EQ(shown_.calls, 1);
    EXPECT_EQ(shown_.text, "Device Not Detected!");
    EXPECT_EQ(shown_.icon, VELK_ICON_ERROR);
}

INSTANTIATE_TEST_SUITE_P(
    Reasons, OpenRefusalReport,
    ::testing::Values(RefusalCase{velk::OpenRefusal::InUse, {"in use by another program"}},
                      RefusalCase{velk::OpenRefusal::NoPermission,
                                  {"No permission", "velk_series/udev/70-velk-series.rules",
                                   "USB access on Linux"}}));

TEST(OpenRefusal, FailureWithoutAKnownReasonStaysDeviceNotDetected) {
    RecorderSession session;
    velk_test::Shown shown;
    SetVelkMessageHandler(&velk_test::remember, &shown);
    session.device().refuseOpen(true);
    EXPECT_EQ(GetMaxSize(nullptr, nullptr, 1), 0u);
    EXPECT_EQ(shown.calls, 1);
    EXPECT_EQ(shown.text, "Device Not Detected!");
    SetVelkMessageHandler(nullptr, nullptr);
}

TEST(OpenRefusal, ARefusedDeviceIsPassedOverQuietlyForOneThatOpens) {
    RecorderSession session;
    velk::testing::RecordingBackend free;
    free.setDevicePath("rec:velk-1");
    session.device().refuseOpen(true, velk::OpenRefusal::InUse);
    velk::overrideBackendsForTesting({&session.device(), &free});
    velk_test::Shown shown;
    SetVelkMessageHandler(&velk_test::remember, &shown);
    DeviceHandle device = OpenVelkDevice();
    EXPECT_NE(device, VELK_INVALID_DEVICE);
    EXPECT_EQ(free.liveConnections(), 1);
    EXPECT_EQ(shown.calls, 0);
    CloseVelkDevice(device);
    SetVelkMessageHandler(nullptr, nullptr);
}

TEST(OpenClose, ReplugAfterCloseIsFoundAnew) {
    RecorderSession session;
    DeviceHandle device = OpenVelkDevice();
    ASSERT_NE(device, VELK_INVALID_DEVICE);
    CloseVelkDevice(device);

    session.device().setPresent(false);
    EXPECT_EQ(OpenVelkDevice(), VELK_INVALID_DEVICE);
    session.device().setPresent(true);
    device = OpenVelkDevice();
    ASSERT_NE(device, VELK_INVALID_DEVICE);
    EXPECT_EQ(session.device().opens(), 2);
    CloseVelkDevice(device);
}

TEST(OpenClose, UnplugWhileOpenFailsTransfers) {
    RecorderSession session;
    DeviceHandle device = OpenVelkDevice();
    ASSERT_NE(device, VELK_INVALID_DEVICE);
    session.device().setPresent(false);
    uint8_t byte = 0;
    uint32_t count = 7;
    EXPECT_EQ(Write(device, &byte, 1, &count, nullptr), 0);
    EXPECT_EQ(count, 0u);
    EXPECT_EQ(Read(device, &byte, 1, &count, nullptr), 0);
    CloseVelkDevice(device);
}

TEST(OpenClose, PipePathLongerThan255CharactersCannotBeOpened) {
    RecorderSession session;
    // path + "\" + "PIPE00" is 256 characters
    session.device().setDevicePath(std::string(249, 'p'));
    EXPECT_EQ(OpenVelkDevice(), VELK_INVALID_DEVICE);

    session.device().setDevicePath(std::string(248, 'p'));  // exactly 255
    DeviceHandle device = OpenVelkDevice();
    EXPECT_NE(device, VELK_INVALID_DEVICE);
    CloseVelkDevice(device);
}

TEST(OpenClose, ClosedPipesRefuseTransfers) {
    RecorderSession session;
    DeviceHandle device = OpenVelkDevice();
    ASSERT_NE(device, VELK_INVALID_DEVICE);
    CloseVelkDevice(device);
    uint8_t byte = 0;
    uint32_t count = 0;
    EXPECT_EQ(Write(device, &byte, 1, &count, nullptr), 0);
    EXPECT_TRUE(session.device().transfers().empty());
}

TEST(RawTransfers, ShortReplyIsSuccessWithTheCountReceived) {
    RecorderSession session;
    DeviceHandle device = OpenVelkDevice();
    ASSERT_NE(device, VELK_INVALID_DEVICE);
    session.device().queueReply({1, 2, 3, 4});
    uint8_t buffer[10] = {};
    uint32_t received = 0;
    EXPECT_NE(Read(device, buffer, 10, &received, nullptr), 0);
    EXPECT_EQ(received, 4u);
    EXPECT_EQ(buffer[3], 4);
    ASSERT_EQ(session.device().transfers().size(), 1u);
    EXPECT_EQ(session.device().transfers()[0].requested, 10u);
    CloseVelkDevice(device);
}

TEST(RawTransfers, TimeoutIsFailure) {
    RecorderSession session;
    DeviceHandle device = OpenVelkDevice();
    ASSERT_NE(device, VELK_INVALID_DEVICE);
    uint8_t buffer[4] = {};
    uint32_t received = 9;
    EXPECT_EQ(Read(device, buffer, 4, &received, nullptr), 0);  // nothing queued: no answer
    EXPECT_EQ(received, 0u);
    CloseVelkDevice(device);
}

TEST(RawTransfers, InvalidHandleIsRefusedWithoutTouchingTheDevice) {
    RecorderSession session;
    uint8_t byte = 0;
    uint32_t count = 0;
    EXPECT_EQ(Write(VELK_INVALID_DEVICE, &byte, 1, &count, nullptr), 0);
    EXPECT_EQ(Read(nullptr, &byte, 1, &count, nullptr), 0);
    EXPECT_EQ(session.device().enumerations(), 0);
}

// A transport that moves the bytes but claims far more than it was given room for.
class OverReportingBackend final : public velk::Backend {
  public:
    std::vector<std::string> enumerate() override { return {"over:0"}; }
    velk::OpenResult open(const std::string&) override {
        return {std::make_unique<Connection>(), velk::OpenRefusal::None};
    }

  private:
    class Connection final : public velk::Connection {
      public:
        velk::TransferResult bulkOut(std::span<const std::uint8_t> data,
                                     std::chrono::milliseconds) override {
            return {velk::TransferStatus::Ok, data.size() + 1000};
        }
        velk::TransferResult bulkIn(std::span<std::uint8_t> buffer,
                                    std::chrono::milliseconds) override {
            std::fill(buffer.begin(), buffer.end(), std::uint8_t{'t'});
            return {velk::TransferStatus::Ok, buffer.size() + 1000};
        }
    };
};

TEST(RawTransfers, CountsClaimedBeyondTheRequestAreCutToIt) {
    velk::resetLibraryForTesting();
    OverReportingBackend backend;
    velk::overrideBackendsForTesting({&backend});
    DeviceHandle device = OpenVelkDevice();
    ASSERT_NE(device, VELK_INVALID_DEVICE);

    uint8_t buffer[4] = {};
    uint32_t count = 0;
    EXPECT_NE(Read(device, buffer, 4, &count, nullptr), 0);
    EXPECT_EQ(count, 4u);
    EXPECT_NE(Write(device, buffer, 4, &count, nullptr), 0);
    EXPECT_EQ(count, 4u);

    // The information reply is taken from the 64 bytes asked for, and no further.
    DeviceInfoRecord record;
    ASSERT_EQ(ReadDeviceInfo(device, &record, 0x55), 1);
    EXPECT_STREQ(record.firmwareVersion, "74.74.74t");
    EXPECT_EQ(std::string(record.text1), std::string(23, 't'));
    CloseVelkDevice(device);
    velk::resetLibraryForTesting();
}

TEST(BusyFlag, ReturnFalseClearAndSetVelkDeviceProcessed) {
    RecorderSession session;
    EXPECT_EQ(IsVelkDeviceProcessed(), 0);
    EXPECT_EQ(ReturnFalseClear(), 0);
    EXPECT_EQ(IsVelkDeviceProcessed(), 0);
    EXPECT_EQ(SetVelkDeviceProcessed(2), 2);
    EXPECT_EQ(IsVelkDeviceProcessed(), 2);
    EXPECT_EQ(ReturnFalseClear(), 0);
    EXPECT_EQ(IsVelkDeviceProcessed(), 0);
}

}  // namespace
