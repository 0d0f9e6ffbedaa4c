#include "engine/device_dump.h"

#include <velk_series/velk_series.h>

#include "engine/device_session.h"
#include "engine/replacing_file.h"
#include "engine/status_text.h"

namespace nuvrel {
namespace {

constexpr std::uint8_t kDumpBlockUnits = kDumpBlockBytes / VELK_UNIT_BYTES;

}  // namespace

OperationOutcome DumpDeviceToFile(const DeviceDump& dump, OperationSink& sink) {
    DeviceSession device;
    if (!device.opened()) {
        return Ended(OperationResult::NoDevice, "");
    }
    sink.startElapsedTimer();
    ReplacingFile output(dump.outputPath);
    if (!output.open()) {
        device.close();
        sink.stopElapsedTimer();
        return Ended(OperationResult::FileNotOpened, "");
    }
    SelectBrivoWindow(device.get(), dump.window);

    const std::uint32_t blocks = dump.length / kDumpBlockBytes;
    sink.setProgressRange(static_cast<std::uint16_t>(blocks));
    sink.setStatus("Reading");
    OperationOutcome outcome = Ended(OperationResult::Completed, kStatusReadComplete);
    std::uint8_t buffer[kDumpBlockBytes];
    for (std::uint32_t i = 0; i < blocks; ++i) {
        const std::uint32_t offset = i * kDumpBlockBytes;
        if (dump.beforeBlock) {
            dump.beforeBlock(i);
        }
        if (ReadSector(device.get(), buffer, dump.wordAt(offset), kDumpBlockUnits) == 0) {
            outcome = FailedAt(OperationResult::ReadFailed, offset);
            break;
        }
        if (dump.adjustBlock) {
            dump.adjustBlock(buffer, sizeof buffer);
        }
        if (!output.write(buffer, sizeof buffer)) {
            outcome = Ended(OperationResult::FileWriteFailed, kStatusCantWriteFile);
            break;
        }
        sink.setProgressPosition(i);
    }
    sink.setProgressPosition(0);
    if (outcome.succeeded() && !output.commit()) {
        outcome = Ended(OperationResult::FileWriteFailed, kStatusCantWriteFile);
    }
    sink.setStatus(outcome.status);
    device.close();
    sink.stopElapsedTimer();
    return outcome;
}

}  // namespace nuvrel
