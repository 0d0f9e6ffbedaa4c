// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The application object: one per process. Start-up either hands over to a copy that is already
// running or shows the main sheet until the user ends it. Pages never reach each other through it:
// what they share, the sheet owns and hands to them.
#pragma once

#include <QApplication>

namespace nuvrel {

class CNuvrelApp : public QApplication {
    Q_OBJECT

  public:
    CNuvrelApp(int& argc, char** argv);
    ~CNuvrelApp() override;

    // Runs the program; returns the process exit code.
    int run();
};

}  // namespace nuvrel
