// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// What every widget test process starts with: a private runtime folder (where velk-sim sockets
// and the single-instance socket live) and a private settings folder, the offscreen platform, and
// the program's icons, all set up before the QApplication exists.
#pragma once

#include <QApplication>
#include <QTemporaryDir>
#include <QtTest>
#include <functional>
#include <memory>

#include "shell/resources.h"

namespace nuvrel::testing {

// Points XDG_RUNTIME_DIR and XDG_CONFIG_HOME at fresh folders for this process.
class PrivateUserFolders {
  public:
    PrivateUserFolders();
    QString runtimeFolder() const { return m_runtime.path(); }
    QString configFolder() const { return m_config.path(); }

  private:
    QTemporaryDir m_runtime;
    QTemporaryDir m_config;
};

using GuiTestFactory = std::function<std::unique_ptr<QObject>()>;

// Adds a test class under its name; returns true so that a static can hold the result.
bool registerGuiTest(const char* name, GuiTestFactory factory);

}  // namespace nuvrel::testing

// Registers a test class with the widget test program (gui_test_runner.cpp), which runs one class
// per process: `gui_tests <TestClass> [Qt Test options]`.
#define NUVREL_GUI_TEST(TestClass)                                                               \
    [[maybe_unused]] static const bool registered##TestClass = nuvrel::testing::registerGuiTest( \
        #TestClass, []() -> std::unique_ptr<QObject> { return std::make_unique<TestClass>(); });
