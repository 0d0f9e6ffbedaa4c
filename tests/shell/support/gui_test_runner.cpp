// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The widget test program: every widget test class is linked in and registers itself; each CTest
// test runs one class in a process of its own, so no state passes from one class to the next.
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "gui_test_main.h"

namespace nuvrel::testing {
namespace {

std::map<std::string, GuiTestFactory>& registry() {
    static std::map<std::string, GuiTestFactory> classes;
    return classes;
}

}  // namespace

bool registerGuiTest(const char* name, GuiTestFactory factory) {
    registry().emplace(name, std::move(factory));
    return true;
}

}  // namespace nuvrel::testing

int main(int argc, char** argv) {
    const auto& classes = nuvrel::testing::registry();
    const auto chosen = argc > 1 ? classes.find(argv[1]) : classes.end();
    if (chosen == classes.end()) {
        std::fprintf(stderr, "usage: %s <test class> [Qt Test options]\ntest classes:\n",
                     argc > 0 ? argv[0] : "gui_tests");
        for (const auto& entry : classes) {
            std::fprintf(stderr, "  %s\n", entry.first.c_str());
        }
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    // Qt Test reads the options after the class name as if they were the program's own.
    std::vector<char*> arguments{argv[0]};
    arguments.insert(arguments.end(), argv + 2, argv + argc);
    int argumentCount = static_cast<int>(arguments.size());
    arguments.push_back(nullptr);

    nuvrel::testing::PrivateUserFolders folders;
    QApplication app(argumentCount, arguments.data());
    nuvrel::initResources();
    const auto test = chosen->second();
    return QTest::qExec(test.get(), argumentCount, arguments.data());
}
