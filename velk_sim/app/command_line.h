// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// velk-sim's command line: turns the options into a device configuration and server options.
#pragma once

#include <string>

#include "velk_sim/sim_harness.h"

namespace velksim {

struct ProgramSettings {
    DeviceConfig config;
    ServerOptions server;
    bool trace = false;
};

// Returns the process exit code to end with (help shown or a usage error), or -1 to run.
int parseCommandLine(int argc, char** argv, ProgramSettings& settings);

}  // namespace velksim
