// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>

#include <velk_series/velk_series.h>

#include "engine/brivo_window.h"
#include "engine/device_session.h"
#include "engine/input_file.h"
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
    std::string inputPath;     // empty when clearing
    std::uint32_t length = 0;  // window bytes
    bool verify = true;
    const CancelToken* cancel = nullptr;
    const std::vector<std::uint8_t>* image = nullptr;  // sent instead of the file when set
    bool clearing() const { return inputPath.empty(); }
};

// The window bytes of the block at offset: zeros when clearing, the converted image's, or the
// file's next ones.
bool FillBlock(std::uint8_t* block, std::size_t length, std::uint32_t offset, std::FILE* file,
               const std::vector<std::uint8_t>* image) {
    std::memset(block, 0, length);
    if (image != nullptr) {
        std::memcpy(block, image->data() + offset, length);
        return true;
    }
    if (file == nullptr) {
        return true;
    }
    return std::fread(block, 1, length, file) == length;
}

OperationOutcome SendBlocks(DeviceHandle device, std::FILE* file, const SaveRun& run,
                            OperationSink& sink) {
    const std::uint32_t blocks = run.length / kWriteBlockBytes;
    sink.setProgressRange(static_cast<std::uint16_t>(blocks));
    sink.setStatus(run.clearing() ? "Clearing" : "Writing");
    std::uint8_t block[kWriteBlockBytes];
    std::uint8_t check[kWriteBlockBytes];
    for (std::uint32_t i = 0; i < blocks; ++i) {
        const std::uint32_t offset = i * kWriteBlockBytes;
        if (CancelRequested(run.cancel)) {
            return FailedAt(OperationResult::Cancelled, offset);
        }
        if (!FillBlock(block, sizeof block, offset, file, run.image)) {
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

// The window switch and one read at the window's start before the transfer (its data is not
// used); the step that failed, or null.
const char* PrepareWindow(DeviceSession& device) {
    if (!SelectBrivoWindow(device, BrivoWindow::SaveRam)) {
        return device_step::kWindowSwitch;
    }
    std::uint8_t probe[kWriteBlockBytes];
    if (ReadSector(device.get(), probe, SaveRamWord(0), kWriteBlockUnits) == 0) {
        return device_step::kSaveRamProbe;
    }
    return nullptr;
}

OperationOutcome RunSave(const SaveRun& run, OperationSink& sink) {
    DeviceSession device;
    if (!device.opened()) {
        return device.notOpened();
    }
    if (const char* failedStep = PrepareWindow(device)) {
        const OperationOutcome outcome = NoAnswerAt(failedStep);
        sink.setStatus(outcome.status);
        return outcome;
    }
    std::optional<InputFile> file;
    if (!run.clearing() && run.image == nullptr) {
        file.emplace(run.inputPath);
        if (!file->opened()) {
            device.close();
            return Ended(OperationResult::FileNotOpened, "");
        }
    }
    // Emptied before the first block, so that a run that stops half way, however it stops (an
    // unplug, a killed program, a power cut), leaves no name of a save the RAM does not hold.
    if (!StoreName(device.get(), VELK_SLOT_SAVE_NAME, kFailedWriteName)) {
        const OperationOutcome outcome = NoAnswerAt(device_step::kFileName);
        sink.setStatus(outcome.status);
        return outcome;
    }
    sink.startElapsedTimer();

    OperationOutcome outcome = SendBlocks(device.get(), file ? file->get() : nullptr, run, sink);
    sink.setProgressPosition(0);
    // After a failed transfer nothing more may be sent: a device left waiting for a data phase
    // would take the next command block as its data.
    if (outcome.succeeded() && !run.clearing() && device.answering() &&
        !StoreName(device.get(), VELK_SLOT_SAVE_NAME, MakeStoredName(run.inputPath))) {
        outcome = NoAnswerAt(device_step::kFileName);
    }
    sink.setStatus(outcome.status);
    sink.stopElapsedTimer();
    device.close();
    return outcome;
}

}  // namespace

OperationOutcome WriteSaveRam(const SaveRamWriteRequest& request, OperationSink& sink) {
    if (request.inputPath.empty()) {
        return Ended(OperationResult::FileNotOpened, "");
    }
    const std::vector<std::uint8_t>* image =
        request.windowImage.empty() ? nullptr : &request.windowImage;
    const auto window =
        image == nullptr ? request.length : static_cast<std::uint32_t>(image->size());
    if (!SaveFileHasBlockToSend(window)) {
        // Checked before the device is opened: a run that sends nothing must not end as a
        // completed write that stores the file's name.
        return Ended(OperationResult::NothingToSend, kSaveTooSmallText);
    }
    if (!SaveFileFillsBlocks(window)) {
        // Its last bytes would never reach the device, yet the run would call itself complete.
        return Ended(OperationResult::NothingToSend, SavePartialBlockMessage(window));
    }
    return RunSave(SaveRun{request.inputPath, window, request.verify, request.cancel, image}, sink);
}

OperationOutcome ClearSaveRam(const SaveRamClearRequest& request, OperationSink& sink) {
    return RunSave(SaveRun{"", 2 * request.ramSize, request.verify, request.cancel}, sink);
}

}  // namespace nuvrel
