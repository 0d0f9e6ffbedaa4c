// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// How a command ends when it cannot do its job: an exit code and the one line for stderr.
#pragma once

#include <stdexcept>
#include <string>

namespace nuvrel::cli {

// Stable per kind of failure, so scripts can tell them apart.
enum ExitCode : int {
    kExitSuccess = 0,
    kExitFailed = 1,         // the operation ran and failed (verify, erase, unknown chips, ...)
    kExitBadInput = 2,       // bad usage, or an input or output path that cannot be used
    kExitNoDevice = 3,       // no device, the device is busy or in use by another program
    kExitNoAnswer = 4,       // the device stopped answering (a transfer failed or timed out)
    kExitNotWritten = 5,     // the output file could not be written; the old one is untouched
    kExitInterrupted = 130,  // stopped by Ctrl-C at a block boundary
};

class CliFailure : public std::runtime_error {
  public:
    CliFailure(ExitCode code, const std::string& message)
        : std::runtime_error(message), code_(code) {}
    ExitCode code() const { return code_; }

  private:
    ExitCode code_;
};

}  // namespace nuvrel::cli
