// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The shipped udev rule must grant access to exactly the devices the USB backend looks for.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <regex>
#include <set>
#include <string>
#include <utility>

#include "usb/usb_device_ids.h"

namespace {

using IdPair = std::pair<std::string, std::string>;

std::string hex4(std::uint16_t value) {
    char text[5];
    std::snprintf(text, sizeof text, "%04x", static_cast<unsigned>(value));
    return text;
}

TEST(UdevRule, CoversExactlyTheDeviceTableWithUaccessAndNoModemManager) {
    std::ifstream rules(VELK_UDEV_RULE_FILE);
    ASSERT_TRUE(rules) << VELK_UDEV_RULE_FILE;
    const std::regex rule(
        R"re(ATTR\{idVendor\}=="([0-9a-f]{4})", ATTR\{idProduct\}=="([0-9a-f]{4})")re");
    std::set<IdPair> inRules;
    std::string line;
    while (std::getline(rules, line)) {
        if (line.empty() || line[0] == '#') {
            continue;
        }
        EXPECT_EQ(line.find("MODE"), std::string::npos) << "access goes through uaccess: " << line;
        EXPECT_NE(line.find("TAG+=\"uaccess\""), std::string::npos) << line;
        EXPECT_NE(line.find("ENV{ID_MM_DEVICE_IGNORE}=\"1\""), std::string::npos) << line;
        std::smatch match;
        ASSERT_TRUE(std::regex_search(line, match, rule)) << line;
        inRules.insert({match[1], match[2]});
    }
    std::set<IdPair> inTable;
    for (const velk::UsbDeviceId& id : velk::kUsbDeviceIds) {
        inTable.insert({hex4(id.vendor), hex4(id.product)});
    }
    EXPECT_EQ(inRules, inTable);
}

TEST(UsbDeviceTable, RecognisesOnlyListedIds) {
    for (const velk::UsbDeviceId& id : velk::kUsbDeviceIds) {
        EXPECT_TRUE(velk::isVelkUsbDevice(id.vendor, id.product));
        EXPECT_FALSE(
            velk::isVelkUsbDevice(id.vendor, static_cast<std::uint16_t>(id.product ^ 0x8000)));
    }
}

}  // namespace
