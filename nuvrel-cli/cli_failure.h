// How a command ends when it cannot do its job: an exit code and the one line for stderr.
#pragma once

#include <stdexcept>
#include <string>

namespace nuvrel::cli {

enum ExitCode : int {
    kExitSuccess = 0,
    kExitFailed = 1,    // the operation ran and failed
    kExitBadInput = 2,  // bad usage or a bad input file
    kExitNoDevice = 3,  // no device, or the device is busy
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
