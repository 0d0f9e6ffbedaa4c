#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include <velk_series/velk_series.h>

#include "engine/brivo_window.h"
#include "engine/device_session.h"
#include "engine/status_text.h"
#include "engine/stored_name.h"
#include "saveram/save_ram.h"
#include "saveram/save_ram_window.h"

namespace nuvrel {
namespace {

constexpr std::uint32_t kWriteBlockBytes = 256;
constexpr std::uint8_t kWriteBlockUnits = kWriteBlockBytes / VELK_UNIT_BYTES;

// A write sends the file's blocks; a clear sends zero blocks and has no file.
struct SaveRun {
    std::string inputPath;  // empty when clearing
    std::uint32_t length = 0;
    bool verify = true;
    bool clearing() const { return inputPath.empty(); }
};

OperationOutcome SendBlocks(DeviceHandle device, std::FILE* file, const SaveRun& run,
                            OperationSink& sink) {
    const std::uint32_t blocks = run.length / kWriteBlockBytes;
    sink.setProgressRange(static_cast<std::uint16_t>(blocks));
    sink.setStatus(run.clearing() ? "Clearing" : "Writing");
    std::uint8_t block[kWriteBlockBytes];
    std::uint8_t check[kWriteBlockBytes];
    for (std::uint32_t i = 0; i < blocks; ++i) {
        const std::uint32_t offset = i * kWriteBlockBytes;
        if (file == nullptr) {
            std::memset(block, 0, sizeof block);
        } else if (std::fread(block, 1, sizeof block, file) != sizeof block) {
            return Ended(OperationResult::FileReadFailed, kStatusCantReadFile);
        }
        if (WriteRamSector(device, block, SaveRamWord(offset), kWriteBlockUnits) == 0) {
            return FailedAt(OperationResult::WriteFailed, offset);
        }
        if (run.verify) {
            if (ReadSector(device, check, SaveRamWord(offset), kWriteBlockUnits) == 0) {
                return FailedAt(OperationResult::ReadFailed, offset);
            }
            // Every save byte counts, the block's first one included.
            ClearEvenBytes(check, sizeof check);
            ClearEvenBytes(block, sizeof block);
            if (std::memcmp(check, block, sizeof block) != 0) {
                return FailedAt(OperationResult::VerifyFailed, offset);
            }
        }
        sink.setProgressPosition(i);
    }
    return Ended(OperationResult::Completed, kStatusWriteComplete);
}

OperationOutcome RunSave(const SaveRun& run, OperationSink& sink) {
    DeviceSession device;
    if (!device.opened()) {
        return Ended(OperationResult::NoDevice, "");
    }
    SelectBrivoWindow(device.get(), BrivoWindow::SaveRam);
    // One read at the window's start before the transfer; its data is not used.
    std::uint8_t probe[kWriteBlockBytes];
    ReadSector(device.get(), probe, SaveRamWord(0), kWriteBlockUnits);

    std::FILE* file = nullptr;
    if (!run.clearing()) {
        file = std::fopen(run.inputPath.c_str(), "rb");
        if (file == nullptr) {
            device.close();
            return Ended(OperationResult::FileNotOpened, "");
        }
    }
    sink.startElapsedTimer();

    OperationOutcome outcome = SendBlocks(device.get(), file, run, sink);
    sink.setProgressPosition(0);
    if (file != nullptr) {
        std::fclose(file);
    }
    sink.setStatus(outcome.status);
    const bool named = outcome.succeeded() && !run.clearing();
    StoreName(device.get(), VELK_SLOT_SAVE_NAME,
              named ? MakeStoredName(run.inputPath) : kFailedWriteName);
    sink.stopElapsedTimer();
    device.close();
    return outcome;
}

}  // namespace

OperationOutcome WriteSaveRam(const SaveRamWriteRequest& request, OperationSink& sink) {
    if (request.inputPath.empty()) {
        return Ended(OperationResult::FileNotOpened, "");
    }
    return RunSave(SaveRun{request.inputPath, request.length, request.verify}, sink);
}

OperationOutcome ClearSaveRam(const SaveRamClearRequest& request, OperationSink& sink) {
    return RunSave(SaveRun{"", 2 * request.ramSize, request.verify}, sink);
}

}  // namespace nuvrel
