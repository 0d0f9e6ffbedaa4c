// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// rom write --each-device: the same command once per attached device, in parallel, one child
// process each (the library's state is per process), with a line per device and a summary.
// --wait-for N keeps going as devices are plugged in until N of them have been programmed.
#pragma once

#include <memory>

namespace CLI {
class App;
}

namespace nuvrel::cli {

struct EachDeviceOptions {
    bool eachDevice = false;
    unsigned waitFor = 0;  // 0: only the devices attached at the start

    bool wanted() const { return eachDevice || waitFor > 0; }
};

// Adds --each-device and --wait-for N to a command that also has --device.
std::shared_ptr<EachDeviceOptions> AddEachDeviceOptions(CLI::App& command);

// Runs this process's own command line on every device, each with --device naming it.
int RunOnEachDevice(const EachDeviceOptions& options);

}  // namespace nuvrel::cli
