#include <velk_series/velk_series.h>

#include "genesis/device_session.h"
#include "genesis/replacing_file.h"
#include "genesis/status_text.h"
#include "saveram/save_ram.h"
#include "saveram/save_ram_window.h"

namespace nuvrel {
namespace {

constexpr std::uint32_t kReadBlockBytes = 1024;
constexpr std::uint8_t kReadBlockUnits = kReadBlockBytes / VELK_UNIT_BYTES;

}  // namespace

OperationOutcome ReadSaveRam(const SaveRamReadRequest& request, OperationSink& sink) {
    DeviceSession device;
    if (!device.opened()) {
        return Ended(OperationResult::NoDevice, "");
    }
    sink.startElapsedTimer();
    ReplacingFile output(request.outputPath);
    if (!output.open()) {
        device.close();
        sink.stopElapsedTimer();
        return Ended(OperationResult::FileNotOpened, "");
    }
    if (IsVelkBrivo(device.get()) != 0) {
        Compatibility(device.get(), VELK_COMPAT_SAVE_RAM_MODE);
    }

    const std::uint32_t blocks = request.length / kReadBlockBytes;
    sink.setProgressRange(static_cast<std::uint16_t>(blocks));
    sink.setStatus("Reading");
    OperationOutcome outcome = Ended(OperationResult::Completed, kStatusReadComplete);
    std::uint8_t buffer[kReadBlockBytes];
    for (std::uint32_t i = 0; i < blocks; ++i) {
        const std::uint32_t offset = i * kReadBlockBytes;
        if (ReadSector(device.get(), buffer, SaveRamWord(offset), kReadBlockUnits) == 0) {
            outcome = FailedAt(OperationResult::ReadFailed, offset);
            break;
        }
        ClearEvenBytes(buffer, sizeof buffer);
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
