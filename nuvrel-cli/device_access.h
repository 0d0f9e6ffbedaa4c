// What nuvrel-cli does around every use of the device: library messages as stderr lines, the
// busy flag, and an open device that is closed on every path.
#pragma once

#include <velk_series/velk_series.h>

#include "cli_failure.h"
#include "engine/device_gate.h"
#include "engine/device_session.h"
#include "engine/device_texts.h"

namespace nuvrel::cli {

// Routes the library's message boxes to stderr, one line each. Why an open was refused (another
// program has the device, no permission) is kept instead, for DeviceUnavailable().
void InstallLibraryMessageHandler();

// The failure (exit code 3) for a device that could not be opened: why it was refused when the
// library said so ("Velk device in use by another program", no permission), else "Device Not
// Detected!".
CliFailure DeviceUnavailable();

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
