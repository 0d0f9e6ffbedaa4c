#include "engine/device_dump.h"

#include <velk_series/velk_series.h>

#include "engine/device_session.h"
#include "engine/replacing_file.h"
#include "engine/status_text.h"

namespace nuvrel {
namespace {

constexpr std::uint8_t kDumpBlockUnits = kDumpBlockBytes / VELK_UNIT_BYTES;

OperationOutcome OutputRefused(ReplacingFile::OpenResult result) {
    // A file the system would not create ends quietly; one that exists but may not be replaced
    // is said, since replacing it would have gone through unnoticed.
    return result == ReplacingFile::OpenResult::NotWritable
               ? Ended(OperationResult::FileWriteFailed, kStatusCantWriteFile)
               : Ended(OperationResult::FileNotOpened, "");
}

OperationOutcome CopyBlocks(const DeviceDump& dump, DeviceSession& device, ReplacingFile& output,
                            OperationSink& sink) {
    const std::uint32_t blocks = dump.length / kDumpBlockBytes;
    sink.setProgressRange(static_cast<std::uint16_t>(blocks));
    sink.setStatus("Reading");
    std::uint8_t buffer[kDumpBlockBytes];
    for (std::uint32_t i = 0; i < blocks; ++i) {
        const std::uint32_t offset = i * kDumpBlockBytes;
        if (CancelRequested(dump.cancel)) {
            return FailedAt(OperationResult::Cancelled, offset);
        }
        if (dump.beforeBlock) {
            dump.beforeBlock(i);
        }
        if (ReadSector(device.get(), buffer, dump.wordAt(offset), kDumpBlockUnits) == 0) {
            return FailedAt(OperationResult::ReadFailed, offset);
        }
        if (dump.adjustBlock) {
            dump.adjustBlock(buffer, sizeof buffer);
        }
        if (!output.write(buffer, sizeof buffer)) {
            return Ended(OperationResult::FileWriteFailed, kStatusCantWriteFile);
        }
        sink.setProgressPosition(i);
    }
    return Ended(OperationResult::Completed, kStatusReadComplete);
}

}  // namespace

OperationOutcome DumpDeviceToFile(const DeviceDump& dump, OperationSink& sink) {
    DeviceSession device;
    if (!device.opened()) {
        return Ended(OperationResult::NoDevice, "");
    }
    sink.startElapsedTimer();
    ReplacingFile output(dump.outputPath);
    OperationOutcome outcome;
    if (const auto opened = output.open(); opened != ReplacingFile::OpenResult::Opened) {
        outcome = OutputRefused(opened);
    } else if (!SelectBrivoWindow(device, dump.window)) {
        outcome = NoAnswerAt(device_step::kWindowSwitch);
    } else {
        outcome = CopyBlocks(dump, device, output, sink);
        sink.setProgressPosition(0);
        if (outcome.succeeded() && !output.commit()) {
            outcome = Ended(OperationResult::FileWriteFailed, kStatusCantWriteFile);
        }
    }
    if (!outcome.status.empty()) {
        sink.setStatus(outcome.status);
    }
    device.close();
    sink.stopElapsedTimer();
    return outcome;
}

}  // namespace nuvrel
