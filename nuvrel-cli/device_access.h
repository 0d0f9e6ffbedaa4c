// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// What nuvrel-cli does around every use of the device: library messages as stderr lines, the
// busy flag, and an open device that is closed on every path.
#pragma once

#include <velk_series/velk_series.h>

#include <string>

#include "cli_failure.h"
#include "engine/device_gate.h"
#include "engine/device_session.h"
#include "engine/device_texts.h"

namespace CLI {
class App;
class Option;
}  // namespace CLI

namespace nuvrel::cli {

// Routes the library's message boxes to stderr, one line each. Why an open was refused (another
// program has the device, no permission) is kept instead, for DeviceUnavailable().
void InstallLibraryMessageHandler();

// The failure (exit code 3) for a device that could not be opened: why it was refused when the
// library said so ("Velk device in use by another program", no permission), else "Device Not
// Detected!". refusal: the reason an engine's session brought back; without one, the latest refused
// open of the run gives it.
CliFailure DeviceUnavailable(const std::string& refusal = {});

// Adds --device SELECTOR to a command that uses the device (the chosen one is what the library
// opens for the whole run). With optionalValue the option also works as a flag (rom header
// --device reads the device; --device NAME reads that one); the command then uses the device
// only when the option was given.
CLI::Option* AddDeviceOption(CLI::App& command, const std::string& help = {},
                             bool optionalValue = false);

// A command given this option runs on several devices and chooses each itself.
void SkipDeviceChoiceWith(CLI::Option* option);

// Before a device command runs: with --device, the one device it names; without, the only
// device attached. Fails (exit code 3) with the list on stderr when no device matches or when
// more than one could be meant, rather than guessing.
void ChooseDeviceForCommand();

// The device held for one long operation through the gate the program's runner uses too: the
// engines rely on the busy flag it sets to see a failed transfer. A process runs one command, so
// the gate is normally open; should it not be, the command fails with "Velk Device is Busy!"
// (exit code 3) before anything is sent. Another program is kept off the device by its one-host
// rule.
DeviceLease HoldDeviceForOperation();

// An open device for short queries; fails with DeviceUnavailable() when none can be opened.
class OpenDevice {
  public:
    OpenDevice();
    DeviceHandle handle() const { return session_.get(); }
    DeviceSession& session() { return session_; }

  private:
    DeviceSession session_;
};

}  // namespace nuvrel::cli
