// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "operation_report.h"

#include <unistd.h>

#include <atomic>
#include <csignal>
#include <cstdio>

#include "cli_failure.h"
#include "device_access.h"

namespace nuvrel::cli {
namespace {

std::atomic<CancelToken*> g_interruptToken{nullptr};
struct sigaction g_previousInterrupt {};
volatile std::sig_atomic_t g_interruptRequested = 0;

// The first Ctrl-C asks for a stop at the next block and says so; a second one ends the process
// as Ctrl-C normally does (a device that stalls would otherwise hold it for the transfer timeout).
// Once the run has ended there is nothing left to stop: the outcome is still reported.
void RequestCancel(int) {
    g_interruptRequested = 1;
    CancelToken* token = g_interruptToken.load();
    if (token != nullptr) {
        token->request();
        constexpr char kNotice[] = "\nStopping at the next block (Ctrl-C again to quit now)\n";
        const ssize_t ignored = ::write(STDERR_FILENO, kNotice, sizeof kNotice - 1);
        static_cast<void>(ignored);
    }
    struct sigaction fallback {};
    fallback.sa_handler = SIG_DFL;
    sigemptyset(&fallback.sa_mask);
    sigaction(SIGINT, &fallback, nullptr);
}

ExitCode ExitCodeOf(OperationResult result) {
    switch (result) {
        case OperationResult::Completed:
            return kExitSuccess;
        case OperationResult::NoDevice:
        case OperationResult::FlashNotCovered:  // the device cannot take this image
            return kExitNoDevice;
        case OperationResult::FileNotOpened:
        case OperationResult::FileReadFailed:
        case OperationResult::NothingToSend:
            return kExitBadInput;
        case OperationResult::NoAnswer:
        case OperationResult::WriteFailed:
        case OperationResult::ReadFailed:
            return kExitNoAnswer;
        case OperationResult::FileWriteFailed:
            return kExitNotWritten;
        case OperationResult::Cancelled:
            return kExitInterrupted;
        case OperationResult::VerifyFailed:
        case OperationResult::EraseFailed:
        case OperationResult::SectorsUndetected:
        case OperationResult::OutOfMemory:
            break;
    }
    return kExitFailed;
}

}  // namespace

InterruptRequestsCancel::InterruptRequestsCancel(CancelToken& token) {
    g_interruptToken = &token;
    struct sigaction action {};
    action.sa_handler = &RequestCancel;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, &g_previousInterrupt);
}

void InterruptRequestsCancel::runEnded() {
    g_interruptToken = nullptr;
}

bool InterruptRequestsCancel::requested() {
    return g_interruptRequested != 0;
}

InterruptRequestsCancel::~InterruptRequestsCancel() {
    sigaction(SIGINT, &g_previousInterrupt, nullptr);
    g_interruptToken = nullptr;
}

ConsoleProgress MakeConsoleProgress(std::uint32_t blockBytes, std::FILE* out) {
    return ConsoleProgress(out, isatty(fileno(out)) != 0, blockBytes);
}

int ReportOutcome(ConsoleProgress& progress, const OperationOutcome& outcome,
                  const std::string& fileProblem, std::FILE* out,
                  const BeforeOutcome& beforeOutcome) {
    progress.finish(outcome.status);
    std::fprintf(out, "Process Time: %s\n", progress.elapsedText().c_str());
    std::fflush(out);
    switch (outcome.result) {
        case OperationResult::Completed:
            if (beforeOutcome) {
                beforeOutcome();
            }
            std::fprintf(out, "%s\n", outcome.status.c_str());
            std::fflush(out);
            std::fflush(stdout);
            return kExitSuccess;
        case OperationResult::NoDevice:
            throw DeviceUnavailable(outcome.openRefusal);
        case OperationResult::FileNotOpened:
            throw CliFailure(kExitBadInput, fileProblem);
        case OperationResult::FileReadFailed:
            throw CliFailure(kExitBadInput,
                             outcome.status.empty() ? kStatusCantReadFile : outcome.status);
        default:
            break;
    }
    throw CliFailure(ExitCodeOf(outcome.result),
                     outcome.status.empty() ? "Operation failed" : outcome.status);
}

}  // namespace nuvrel::cli
