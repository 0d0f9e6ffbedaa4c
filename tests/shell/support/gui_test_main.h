// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// main() for the widget tests: a private runtime folder (where velk-sim sockets and the
// single-instance socket live) and a private settings folder, the offscreen platform, and the
// program's icons, all set up before the QApplication exists.
#pragma once

#include <QApplication>
#include <QTemporaryDir>
#include <QtTest>

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

}  // namespace nuvrel::testing

#define NUVREL_GUI_TEST_MAIN(TestClass)                       \
    int main(int argc, char** argv) {                         \
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) { \
            qputenv("QT_QPA_PLATFORM", "offscreen");          \
        }                                                     \
        nuvrel::testing::PrivateUserFolders folders;          \
        QApplication app(argc, argv);                         \
        nuvrel::initResources();                              \
        TestClass test;                                       \
        return QTest::qExec(&test, argc, argv);               \
    }
