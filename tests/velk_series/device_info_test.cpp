// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// ReadDeviceInfo, CompareVersion, GetMaxSize, IsVelkBrivo and Compatibility on the wire.
#include <cstring>
#include <ostream>
#include <string>
#include <vector>

#include "device_test_fixture.h"

namespace velk_test {
namespace {

using ReadDeviceInfoTest = DeviceTest;

TEST_F(ReadDeviceInfoTest, SendsTheInformationBlockAndSplitsThreeTexts) {
    recorder().queueReply(infoReply(0x02, 0x06, 0x09, 'c', "16MHz\x01MX29LV160TB\x01KM62256"));
    DeviceInfoRecord record;
    std::memset(&record, 0x7E, sizeof record);
    ASSERT_EQ(ReadDeviceInfo(device_, &record, 0x55), 1);

    ASSERT_EQ(wire().size(), 2u);
    expectOut(0, dataBusInfoBlock());
    expectIn(1, 64);
    EXPECT_STREQ(record.firmwareVersion, "02.06.09c");
    EXPECT_EQ(record.firmwareVersion[8], 'c');
    EXPECT_STREQ(record.bootVersion, "01.02.03b");
    EXPECT_STREQ(record.text1, "16MHz");
    EXPECT_STREQ(record.text2, "MX29LV160TB");
    EXPECT_STREQ(record.text3, "KM62256");
    EXPECT_STREQ(record.addressText2, "") << "the record must be zeroed first";
}

TEST_F(ReadDeviceInfoTest, TextsSeparatedByZeroBytesReadTheSame) {
    recorder().queueReply(infoReply(0x02, 0x06, 0x09, 'c', std::string("16MHz\0ROM\0RAM", 13)));
    DeviceInfoRecord record;
    ASSERT_EQ(ReadDeviceInfo(device_, &record, 0x55), 1);
    EXPECT_STREQ(record.text1, "16MHz");
    EXPECT_STREQ(record.text2, "ROM");
    EXPECT_STREQ(record.text3, "RAM");
}

TEST_F(ReadDeviceInfoTest, AddressBusSelectorFillsOnlyItsOwnSecondText) {
    recorder().queueReply(infoReply(0x01, 0x0A, 0x00, 'a', "12MHz\x01SCI v3"));
    DeviceInfoRecord record;
    ASSERT_EQ(ReadDeviceInfo(device_, &record, 0xAA), 1);
    expectOut(0, sharedBlock({0x22, 0xAA, 0, 0, 0, 0, 4, 5, 6, 7, 8, 0, 0, 0, 0}));
    EXPECT_STREQ(record.firmwareVersion, "01.0A.00a");
    EXPECT_STREQ(record.text1, "12MHz");
    EXPECT_STREQ(record.addressText2, "SCI v3");
    EXPECT_STREQ(record.text2, "");
    EXPECT_STREQ(record.text3, "");
}

TEST_F(ReadDeviceInfoTest, TextsAreCutToTheirFields) {
    const std::string longText(40, 'x');
    recorder().queueReply(infoReply(2, 6, 9, 'c', longText + "\x01" + "y"));
    DeviceInfoRecord record;
    ASSERT_EQ(ReadDeviceInfo(device_, &record, 0x55), 1);
    EXPECT_EQ(std::string(record.text1), std::string(23, 'x'));
    EXPECT_STREQ(record.text2, "y");

    recorder().queueReply(infoReply(2, 6, 9, 'c', "a\x01" + longText));
    ASSERT_EQ(ReadDeviceInfo(device_, &record, 0xAA), 1);
    EXPECT_EQ(std::string(record.addressText2), std::string(15, 'x'));
}

TEST_F(ReadDeviceInfoTest, TextsNeverPickUpBytesOfAnEarlierLongerReply) {
    Bytes first = infoReply(2, 6, 9, 'c', "LONGCRYSTAL\x01STALE-ROM\x01STALE-RAM");
    first.resize(64, 'S');
    recorder().queueReply(first);
    DeviceInfoRecord record;
    ASSERT_EQ(ReadDeviceInfo(device_, &record, 0x55), 1);

    // Ten bytes: versions, "Q" and its separator; nothing after it belongs to this reply.
    recorder().queueReply({1, 0, 0, 'a', 1, 0, 0, 'a', 'Q', 0x01});
    ASSERT_EQ(ReadDeviceInfo(device_, &record, 0xAA), 1);
    EXPECT_STREQ(record.text1, "Q");
    EXPECT_STREQ(record.addressText2, "");

    recorder().queueReply({3, 1, 0});  // too short even for both versions
    ASSERT_EQ(ReadDeviceInfo(device_, &record, 0x55), 1);
    EXPECT_STREQ(record.firmwareVersion, "03.01.00");
    EXPECT_STREQ(record.bootVersion, "00.00.00");
    EXPECT_STREQ(record.text1, "");
}

TEST_F(ReadDeviceInfoTest, OtherSelectorsExchangeButFailAndClearTheBusyFlag) {
    recorder().queueReply(infoReply(2, 6, 9, 'c', "x"));
    SetVelkDeviceProcessed(1);
    DeviceInfoRecord record;
    EXPECT_EQ(ReadDeviceInfo(device_, &record, 0x33), 0);
    ASSERT_EQ(wire().size(), 2u);
    expectOut(0, sharedBlock({0x22, 0x33, 0, 0, 0, 0, 4, 5, 6, 7, 8, 0, 0, 0, 0}));
    EXPECT_EQ(IsVelkDeviceProcessed(), 0);
}

TEST(CompareVersion, ComparesMajorMinorPatch) {
    DeviceInfoRecord record{};
    std::strcpy(record.firmwareVersion, "02.06.09c");
    EXPECT_EQ(CompareVersion(record, 2, 6, 9), 1);
    EXPECT_EQ(CompareVersion(record, 2, 6, 10), 0);
    EXPECT_EQ(CompareVersion(record, 2, 5, 99), 1);
    EXPECT_EQ(CompareVersion(record, 3, 0, 0), 0);
    EXPECT_EQ(CompareVersion(record, 0x102, 6, 9), 1) << "arguments count modulo 256";
}

TEST(CompareVersion, HexLetterCountsAsSeventeen) {
    DeviceInfoRecord record{};
    std::strcpy(record.firmwareVersion, "02.0A.00e");
    EXPECT_EQ(CompareVersion(record, 2, 17, 0), 1);
    EXPECT_EQ(CompareVersion(record, 2, 18, 0), 0);
}

TEST(CompareVersion, EmptyRecordReadsAsD0D0D0) {
    const DeviceInfoRecord record{};
    EXPECT_EQ(CompareVersion(record, 0xD0, 0xD0, 0xD0), 1);
    EXPECT_EQ(CompareVersion(record, 0xD0, 0xD0, 0xD1), 0);
    EXPECT_EQ(CompareVersion(record, 2, 6, 9), 1);
}

struct ModelCase {
    char letter;
    uint32_t capacity;
    uint32_t saveRam;
    bool brivo;
};

// Names the case in test listings by its model letter.
void PrintTo(const ModelCase& model, std::ostream* out) {
    *out << "model " << (model.letter >= 0x20 && model.letter < 0x7F ? model.letter : '?');
}

class ModelTable : public DeviceTest, public ::testing::WithParamInterface<ModelCase> {};

TEST_P(ModelTable, CapacitySaveRamAndBrivoFollowTheModelLetter) {
    const ModelCase& model = GetParam();
    recorder().queueReply(infoReply(2, 6, 9, model.letter));
    uint32_t saveRam = 77;
    EXPECT_EQ(GetMaxSize(device_, &saveRam, 0), model.capacity);
    EXPECT_EQ(saveRam, model.saveRam);
    recorder().queueReply(infoReply(2, 6, 9, model.letter));
    EXPECT_EQ(IsVelkBrivo(device_), model.brivo ? 1 : 0);
    ASSERT_EQ(wire().size(), 4u);
    expectOut(0, dataBusInfoBlock());
    expectOut(2, dataBusInfoBlock());
}

INSTANTIATE_TEST_SUITE_P(Letters, ModelTable,
                         ::testing::Values(ModelCase{'c', 0x400001, 0x8001, true},
                                           ModelCase{'e', 0x200000, 0x8000, false},
                                           ModelCase{'g', 0x200000, 0, false},
                                           ModelCase{'m', 0x400000, 0, false},
                                           ModelCase{'x', 0, 0, false}));

TEST(GetMaxSize, WithoutDeviceShowsTheMessageOnceWhenAsked) {
    velk::testing::RecorderSession session;
    session.device().setPresent(false);
    Shown shown;
    SetVelkMessageHandler(remember, &shown);
    uint32_t saveRam = 5;
    EXPECT_EQ(GetMaxSize(nullptr, &saveRam, 1), 0u);
    EXPECT_EQ(saveRam, 0u);
    EXPECT_EQ(shown.calls, 1);
    EXPECT_EQ(shown.caption, "");
    EXPECT_EQ(shown.text, "Device Not Detected!");
    EXPECT_EQ(shown.icon, VELK_ICON_ERROR);

    EXPECT_EQ(GetMaxSize(nullptr, nullptr, 0), 0u);
    EXPECT_EQ(GetMaxSize(VELK_INVALID_DEVICE, nullptr, 0), 0u);
    EXPECT_EQ(shown.calls, 1) << "show flag 0 must stay silent";
}

TEST(GetMaxSize, WithoutHandlerTheMessageGoesToStderr) {
    velk::testing::RecorderSession session;
    session.device().setPresent(false);
    ::testing::internal::CaptureStderr();
    GetMaxSize(nullptr, nullptr, 1);
    EXPECT_NE(::testing::internal::GetCapturedStderr().find("Device Not Detected!"),
              std::string::npos);
}

TEST(GetMaxSize, NullDeviceIsOpenedAndClosedAgain) {
    velk::testing::RecorderSession session;
    session.device().queueReply(infoReply(2, 6, 9, 'm'));
    EXPECT_EQ(GetMaxSize(nullptr, nullptr, 1), 0x400000u);
    EXPECT_EQ(session.device().opens(), 1);
    EXPECT_EQ(session.device().liveConnections(), 0);

    session.device().queueReply(infoReply(2, 6, 9, 'c'));
    EXPECT_EQ(IsVelkBrivo(nullptr), 1);
    EXPECT_EQ(session.device().liveConnections(), 0);
}

TEST(GetMaxSize, NullDeviceInsideAnOpenKeepsTheOuterOpen) {
    velk::testing::RecorderSession session;
    DeviceHandle outer = OpenVelkDevice();
    ASSERT_NE(outer, VELK_INVALID_DEVICE);
    session.device().queueReply(infoReply(2, 6, 9, 'e'));
    EXPECT_EQ(GetMaxSize(nullptr, nullptr, 0), 0x200000u);
    EXPECT_EQ(session.device().liveConnections(), 1);
    CloseVelkDevice(outer);
    EXPECT_EQ(session.device().liveConnections(), 0);
}

TEST_F(DeviceTest, FailedInformationReadGivesZeroCapacityAndNoBrivo) {
    SetVelkDeviceProcessed(1);
    uint32_t saveRam = 9;
    EXPECT_EQ(GetMaxSize(device_, &saveRam, 1), 0u);  // nothing queued: the reply times out
    EXPECT_EQ(saveRam, 0u);
    EXPECT_EQ(IsVelkDeviceProcessed(), 0);
    EXPECT_EQ(IsVelkBrivo(device_), 0);
    EXPECT_EQ(IsVelkBrivo(VELK_INVALID_DEVICE), 0);
}

using CompatibilityTest = DeviceTest;

TEST_F(CompatibilityTest, SendsValueWithFillerAndReturnsSecondReplyByte) {
    recorder().queueReply({0x11, 0x83});
    EXPECT_EQ(Compatibility(device_, 0x80), 0x83);
    ASSERT_EQ(wire().size(), 2u);
    expectOut(0, perCallBlock({0x24, 0x80, 0x00, 0x00, 0x04, 0x05, 0x06, 0x07, 0x08, 0x00}));
    expectIn(1, 2);

    recorder().queueReply({0x00, 0x00});
    Compatibility(device_, 0x21);
    expectOut(2, perCallBlock({0x24, 0x21, 0x00, 0x00, 0x04, 0x05, 0x06, 0x07, 0x08, 0x00}));
}

}  // namespace
}  // namespace velk_test
