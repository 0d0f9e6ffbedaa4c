// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// velk-sim: runs one virtual device until Ctrl-C or SIGTERM.
#include <pthread.h>
#include <signal.h>

#include <cstdio>
#include <iostream>

#include "command_line.h"
#include "velk_sim/sim_harness.h"

int main(int argc, char** argv) {
    velksim::ProgramSettings settings;
    const int exitCode = velksim::parseCommandLine(argc, argv, settings);
    if (exitCode >= 0) {
        return exitCode;
    }
    settings.server.commandLogLimit = 0;  // a long-running device keeps no log; --trace prints
    if (settings.trace) {
        settings.server.trace = &std::cout;
    }

    // A trace reader that goes away (a pager that quits) must not take the device with it.
    ::signal(SIGPIPE, SIG_IGN);

    // Block the stop signals before the server thread starts, so only sigwait below sees them.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGHUP);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    velksim::SimServer server(settings.config, settings.server);
    std::string error;
    if (!server.start(&error)) {
        std::cerr << "velk-sim: " << error << "\n";
        return 1;
    }
    std::cout << "velk-sim: model " << settings.config.model << " listening on "
              << server.socketPath().string() << std::endl;

    int received = 0;
    sigwait(&stopSignals, &received);
    server.stop();
    std::cout << "velk-sim: stopped" << std::endl;
    return 0;
}
