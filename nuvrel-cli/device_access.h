// What nuvrel-cli does around every use of the device: library messages as stderr lines, the
// busy flag, and an open device that is closed on every path.
#pragma once

#include <velk_series/velk_series.h>

#include "cli_failure.h"
#include "engine/device_session.h"

namespace nuvrel::cli {

inline constexpr const char* kDeviceNotDetected = "Device Not Detected!";

// Routes the library's message boxes to stderr, one line each. Why an open was refused (another
// program has the device, no permission) is kept instead, for DeviceUnavailable().
void InstallLibraryMessageHandler();

// The failure (exit code 3) for a device that could not be opened: why it was refused when the
// library said so ("Velk device in use by another program", no permission), else "Device Not
// Detected!".
CliFailure DeviceUnavailable();

// Holds the busy flag for one long operation, as the program's runner does: the engines rely on
// it to see a failed transfer. A process runs one command, so nothing else can hold it; another
// program is kept off the device by its one-host rule.
class BusyFlagHold {
  public:
    BusyFlagHold();
    ~BusyFlagHold();
    BusyFlagHold(const BusyFlagHold&) = delete;
    BusyFlagHold& operator=(const BusyFlagHold&) = delete;
};

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
