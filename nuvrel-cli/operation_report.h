// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Turning an engine's outcome into what the user sees and the exit code.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <type_traits>

#include "console_progress.h"
#include "device_access.h"
#include "engine/cancel_token.h"
#include "engine/operation_outcome.h"

namespace nuvrel::cli {

// A progress display on out: live when it is a terminal, plain lines otherwise.
ConsoleProgress MakeConsoleProgress(std::uint32_t blockBytes, std::FILE* out = stdout);

// What a command prints about a completed run before its outcome line (the outcome stays last).
using BeforeOutcome = std::function<void()>;

// Ends the progress display, prints the elapsed time and the outcome's status text (on out) and
// returns 0, or throws CliFailure with the status text and the exit code of its kind. fileProblem
// is the line for the quiet "file could not be opened or created" end.
int ReportOutcome(ConsoleProgress& progress, const OperationOutcome& outcome,
                  const std::string& fileProblem, std::FILE* out = stdout,
                  const BeforeOutcome& beforeOutcome = {});

// While it lives, Ctrl-C asks the token to stop the running operation at its next block boundary
// instead of ending the process in the middle of a transfer.
class InterruptRequestsCancel {
  public:
    explicit InterruptRequestsCancel(CancelToken& token);
    ~InterruptRequestsCancel();
    InterruptRequestsCancel(const InterruptRequestsCancel&) = delete;
    InterruptRequestsCancel& operator=(const InterruptRequestsCancel&) = delete;

    // From now on Ctrl-C only notes the request: the run has ended, and what it did (a device
    // fully programmed, say) is reported rather than cut off on its way out.
    void runEnded();

    // Whether Ctrl-C was pressed while one lived: a run it reached too late to stop still
    // completes, and whoever would start another then ends instead.
    static bool requested();
};

// Runs one long operation with the device held and Ctrl-C turned into a stop request, and
// reports its outcome, as ReportOutcome does, once the flag is clear again. blockBytes is the size
// of one progress step.
template <typename Request>
int RunAndReport(std::uint32_t blockBytes,
                 OperationOutcome (*engine)(const Request&, OperationSink&),
                 const std::type_identity_t<Request>& request, const std::string& fileProblem,
                 std::FILE* out = stdout, const BeforeOutcome& beforeOutcome = {}) {
    ConsoleProgress progress = MakeConsoleProgress(blockBytes, out);
    CancelToken cancel;
    Request cancellable = request;
    cancellable.cancel = &cancel;
    OperationOutcome outcome;
    InterruptRequestsCancel interrupt(cancel);
    {
        const DeviceLease device = HoldDeviceForOperation();
        outcome = engine(cancellable, progress);
    }
    interrupt.runEnded();
    return ReportOutcome(progress, outcome, fileProblem, out, beforeOutcome);
}

}  // namespace nuvrel::cli
