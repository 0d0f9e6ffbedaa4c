#include "operation_report.h"

#include <unistd.h>

#include <cstdio>

#include "cli_failure.h"
#include "device_access.h"

namespace nuvrel::cli {

ConsoleProgress MakeConsoleProgress(std::uint32_t blockBytes) {
    return ConsoleProgress(stdout, isatty(fileno(stdout)) != 0, blockBytes);
}

int ReportOutcome(ConsoleProgress& progress, const OperationOutcome& outcome,
                  const std::string& fileProblem) {
    progress.finish(outcome.status);
    std::printf("Process Time: %s\n", progress.elapsedText().c_str());
    std::fflush(stdout);
    switch (outcome.result) {
        case OperationResult::Completed:
            std::printf("%s\n", outcome.status.c_str());
            std::fflush(stdout);
            return kExitSuccess;
        case OperationResult::NoDevice:
            throw DeviceUnavailable();
        case OperationResult::FileNotOpened:
            throw CliFailure(kExitBadInput, fileProblem);
        case OperationResult::FileReadFailed:
            throw CliFailure(kExitBadInput,
                             outcome.status.empty() ? kStatusCantReadFile : outcome.status);
        case OperationResult::VerifyFailed:
        case OperationResult::WriteFailed:
        case OperationResult::ReadFailed:
        case OperationResult::EraseFailed:
        case OperationResult::SectorsUndetected:
        case OperationResult::NoAnswer:
        case OperationResult::Cancelled:
        case OperationResult::FileWriteFailed:
        case OperationResult::OutOfMemory:
            break;
    }
    throw CliFailure(kExitFailed, outcome.status.empty() ? "Operation failed" : outcome.status);
}

}  // namespace nuvrel::cli
