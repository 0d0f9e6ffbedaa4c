// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Which USB devices the library takes: the ID list (built in and from ID files), the interface
// shape, the order and the selector, on a fake bus under a scratch root.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "fake_usb_bus.h"
#include "usb/usb_id_list.h"
#include "velk_series/velk_series.h"

namespace {

using velk::testing::FakeUsbSession;
using velk::testing::velkShaped;

struct Message {
    std::string text;
    int icon;
};

std::vector<Message>& messages() {
    static std::vector<Message> seen;
    return seen;
}

void VELK_CALL keepMessage(void*, const char*, const char* text, int icon) {
    messages().push_back({text, icon});
}

std::vector<VelkDeviceListing> listing(uint32_t flags = 0) {
    std::vector<VelkDeviceListing> entries(ListVelkDevices(nullptr, 0, flags));
    entries.resize(ListVelkDevices(entries.data(), static_cast<uint32_t>(entries.size()), flags));
    return entries;
}

// Opens and closes; the port of the device that opened, empty when none did.
std::string openedPort(FakeUsbSession& usb, const std::vector<std::string>& ports) {
    DeviceHandle device = OpenVelkDevice();
    std::string opened;
    for (const std::string& port : ports) {
        if (usb.bus().opens(port) > 0) {
            opened = port;
        }
    }
    if (device != VELK_INVALID_DEVICE) {
        CloseVelkDevice(device);
    }
    return opened;
}

class UsbFinding : public ::testing::Test {
  protected:
    void SetUp() override {
        messages().clear();
        SetVelkMessageHandler(&keepMessage, nullptr);
    }
    FakeUsbSession usb;
};

TEST(UsbIdFile, ReadsIdsDescriptionsAndComments) {
    const auto parsed = velk::parseUsbIdFile(
        "# bench units\n\nABCD:ef01   Bench unit, rev B  # the grey one\n 1209:00aa\n", "ids");
    ASSERT_EQ(parsed.ids.size(), 2u);
    EXPECT_TRUE(parsed.problems.empty());
    EXPECT_EQ(parsed.ids[0].vendor, 0xabcd);
    EXPECT_EQ(parsed.ids[0].product, 0xef01);
    EXPECT_EQ(parsed.ids[0].description, "Bench unit, rev B");
    EXPECT_EQ(parsed.ids[1].product, 0x00aa);
    EXPECT_EQ(parsed.ids[1].description, "");
}

class BadIdLine : public ::testing::TestWithParam<const char*> {};

TEST_P(BadIdLine, IsNamedWithItsLineAndSkipped) {
    const auto parsed =
        velk::parseUsbIdFile(std::string("1209:00aa good\n") + GetParam() + "\n", "/x/usb-ids");
    ASSERT_EQ(parsed.ids.size(), 1u);
    ASSERT_EQ(parsed.problems.size(), 1u);
    EXPECT_NE(parsed.problems[0].find("/x/usb-ids, line 2"), std::string::npos)
        << parsed.problems[0];
}

INSTANTIATE_TEST_SUITE_P(Lines, BadIdLine,
                         ::testing::Values("12345:0001", "1209-0001", "zzzz:0001", "1209:001", ":",
                                           "1209:0001x desc", "\x01\x02:\xff"));

class IdFileKind : public UsbFinding, public ::testing::WithParamInterface<bool> {};

TEST_P(IdFileKind, ListsAnIdTheLibraryDoesNotKnow) {
    usb.bus().plug(velkShaped("1-4", 0xabcd, 0x0001));
    EXPECT_EQ(openedPort(usb, {"1-4"}), "");
    const bool system = GetParam();
    system ? usb.writeSystemIdFile("abcd:0001 bench\n") : usb.writeUserIdFile("abcd:0001 bench\n");
    EXPECT_EQ(openedPort(usb, {"1-4"}), "1-4");
    ASSERT_EQ(listing().size(), 1u);
    EXPECT_STREQ(listing()[0].description, "bench");
}

INSTANTIATE_TEST_SUITE_P(SystemAndUser, IdFileKind, ::testing::Bool());

TEST_F(UsbFinding, ABadIdFileIsToldOnceUntilItChanges) {
    const std::string path = usb.writeUserIdFile("abcd:0001\nnot-an-id\n");
    listing();
    listing();
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_EQ(messages()[0].icon, VELK_ICON_ERROR);
    EXPECT_NE(messages()[0].text.find(path + ", line 2: \"not-an-id\""), std::string::npos)
        << messages()[0].text;
    usb.writeUserIdFile("abcd:0001\nstill-not\n");
    listing();
    EXPECT_EQ(messages().size(), 2u);
}

struct ShapeCase {
    const char* name;
    std::vector<velk::UsbInterfaceShape> interfaces;
    const char* reason;
};

class WrongShape : public UsbFinding, public ::testing::WithParamInterface<ShapeCase> {};

TEST_P(WrongShape, AListedDeviceIsRefusedWithTheReasonAndNeverOpened) {
    velk::UsbDeviceRecord device = velkShaped("1-4", 0x1209, 0x0007);
    device.interfaces = GetParam().interfaces;
    usb.bus().plug(device);
    EXPECT_EQ(OpenVelkDevice(), VELK_INVALID_DEVICE);
    EXPECT_EQ(usb.bus().opens("1-4"), 0);
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_EQ(messages()[0].icon, VELK_ICON_REFUSAL);
    EXPECT_NE(messages()[0].text.find("no interface with one bulk IN"), std::string::npos);
    const auto entries = listing(VELK_LIST_TRY_OPEN);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_NE(std::string(entries[0].problem).find(GetParam().reason), std::string::npos)
        << entries[0].problem;
}

INSTANTIATE_TEST_SUITE_P(
    Shapes, WrongShape,
    ::testing::Values(
        ShapeCase{"HighSpeedPackets", {{0, {{0x81, 2, 512}, {0x02, 2, 512}}}}, "512/512-byte"},
        ShapeCase{"TwoBulkIns", {{0, {{0x81, 2, 64}, {0x82, 2, 64}, {0x02, 2, 64}}}}, "no interf"},
        ShapeCase{"InterruptOnly", {{0, {{0x81, 3, 64}, {0x02, 3, 64}}}}, "no interface"},
        ShapeCase{"NoInterfaces", {}, "no interface"}),
    [](const auto& shape) { return std::string(shape.param.name); });

TEST_F(UsbFinding, AnUnlistedDeviceIsOnlyShownOnRequestAndNeverOpened) {
    usb.bus().plug(velkShaped("3-1", 0x0483, 0x5740));
    velk::UsbDeviceRecord keyboard = velkShaped("3-2", 0x046d, 0xc31c);
    keyboard.interfaces = {{0, {{0x81, 3, 8}}}};
    usb.bus().plug(keyboard);
    EXPECT_TRUE(listing().empty());
    const auto entries = listing(VELK_LIST_UNLISTED_USB | VELK_LIST_TRY_OPEN);
    ASSERT_EQ(entries.size(), 1u) << "only devices of the protocol's shape are shown";
    EXPECT_STREQ(entries[0].name, "3-1");
    EXPECT_EQ(entries[0].listed, 0);
    EXPECT_STREQ(entries[0].path, "");
    EXPECT_EQ(entries[0].vendorId, 0x0483);
    EXPECT_EQ(openedPort(usb, {"3-1"}), "");
    EXPECT_EQ(usb.bus().opens("3-1"), 0);
}

TEST_F(UsbFinding, DevicesComeInPortOrder) {
    for (const char* port : {"2-1", "1-10", "1-2.3", "1-2"}) {
        usb.bus().plug(velkShaped(port, 0x1209, 0x0007));
    }
    std::vector<std::string> names;
    for (const VelkDeviceListing& entry : listing()) {
        names.push_back(entry.name);
    }
    EXPECT_EQ(names, (std::vector<std::string>{"1-2", "1-2.3", "1-10", "2-1"}));
    EXPECT_EQ(openedPort(usb, {"1-2"}), "1-2") << "without a selector, the first in order";
}

struct SelectorCase {
    const char* selector;
    uint32_t matches;
    const char* opened;
};

class Selector : public UsbFinding, public ::testing::WithParamInterface<SelectorCase> {};

TEST_P(Selector, PicksTheNamedDevice) {
    velk::UsbDeviceRecord first = velkShaped("1-2", 0x1209, 0x0007);
    first.serial = "VK-0001";
    usb.bus().plug(first);
    usb.bus().plug(velkShaped("1-3", 0x1209, 0x0007));
    usb.bus().plug(velkShaped("1-4", 0x1209, 0x0008));
    EXPECT_EQ(SelectVelkDevice(GetParam().selector), GetParam().matches);
    EXPECT_EQ(openedPort(usb, {"1-2", "1-3", "1-4"}), GetParam().opened);
}

INSTANTIATE_TEST_SUITE_P(
    Selectors, Selector,
    ::testing::Values(SelectorCase{"1-3", 1, "1-3"}, SelectorCase{"usb:1-4", 1, "1-4"},
                      SelectorCase{"1209:0008", 1, "1-4"}, SelectorCase{"1209:0007", 2, "1-2"},
                      SelectorCase{"VK-0001", 1, "1-2"}, SelectorCase{"1-9", 0, ""},
                      SelectorCase{"sim:bench", 0, ""}, SelectorCase{"", 3, "1-2"}));

TEST_F(UsbFinding, ADeviceNodeTheUserMayNotOpenIsSaid) {
    if (::geteuid() == 0) {
        GTEST_SKIP() << "root may open any device node";
    }
    velk::UsbDeviceRecord device = velkShaped("1-4", 0x1209, 0x0007);
    device.nodePath = "/dev/bus/usb/001/004";
    usb.bus().plug(device);
    const auto node = usb.underRoot(device.nodePath);
    std::filesystem::create_directories(node.parent_path());
    std::ofstream(node).put('\0');
    ::chmod(node.c_str(), 0444);
    const auto entries = listing();
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_NE(std::string(entries[0].problem).find("no permission to open /dev/bus/usb/001/004"),
              std::string::npos)
        << entries[0].problem;
}

}  // namespace
