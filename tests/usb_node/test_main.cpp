// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later
// main() of the USB node tests: the process runs under umockdev's preload library (it starts
// itself again with it when needed), so that it can hold a testbed its children find.
#include <gtest/gtest.h>

#include "usb_node.h"

int main(int argc, char** argv) {
    velkusb::enterMockEnvironment(argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
