// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "genesis/rom_writer.h"

#include <thread>

#include <velk_series/velk_series.h>

#include "engine/brivo_window.h"
#include "engine/device_session.h"
#include "engine/status_text.h"
#include "genesis/flash_programming.h"
#include "genesis/rom_image.h"
#include "genesis/sector_walk.h"

namespace nuvrel {
namespace {

constexpr std::uint32_t kBlockBytes = kImageBlockBytes;
constexpr std::uint32_t kChipBytes = 0x200000;  // one chip of a two-chip set: 2 MiB, 16 MBit
constexpr std::chrono::milliseconds kPauseAfterFirstChip{1000};

// The write run's state, so that each step can be a small function and every way out passes
// through the same closing steps. A step that fails records the outcome and returns false.
class RomWriteRun {
  public:
    RomWriteRun(const RomWriteRequest& request, OperationSink& sink)
        : request_(request),
          image_(*request_.image),
          size_(image_.programmedSize()),
          blocks_(size_ / kBlockBytes),
          sink_(sink) {}

    OperationOutcome run();

  private:
    bool useChipErase(EraseHint hint) const {
        return hint == VELK_ERASE_HINT_TEXT_CHIP ||
               (hint == VELK_ERASE_HINT_QUERIED && request_.fastErase);
    }
    bool detectSectors(EraseHint& hint);
    bool eraseChips();
    bool eraseSectors();
    bool erased(bool ok, std::uint32_t offset);
    bool writeBlocks();
    bool cancelledAt(std::uint32_t offset) {
        return CancelledAt(request_.cancel, offset, outcome_);
    }
    void pause(std::chrono::milliseconds duration) const;

    const RomWriteRequest request_;
    const PreparedRom& image_;
    const std::uint32_t size_;
    const std::uint32_t blocks_;
    OperationSink& sink_;

    DeviceSession device_;
    SectorTable table_{};
    OperationOutcome outcome_;
};

OperationOutcome RomWriteRun::run() {
    if (!device_.opened()) {
        sink_.setSector("");
        return device_.notOpened();
    }
    if (!SelectBrivoWindow(device_, BrivoWindow::Rom)) {
        outcome_ = NoAnswerAt(device_step::kWindowSwitch);
        sink_.setStatus(outcome_.status);
        device_.close();
        sink_.setSector("");
        return outcome_;
    }
    sink_.setStatus("Analizing file");

    bool timerStarted = false;
    EraseHint hint = VELK_ERASE_HINT_NONE;
    if (detectSectors(hint) &&
        FlashCoversImage(device_, CoverageOfImage(table_, size_), size_, outcome_)) {
        sink_.startElapsedTimer();
        timerStarted = true;
        if (BeginErasing(device_, outcome_)) {
            sink_.setProgressRange(static_cast<std::uint16_t>(blocks_));
            const bool erasedAll = useChipErase(hint) ? eraseChips() : eraseSectors();
            if (erasedAll && writeBlocks()) {
                outcome_ = Ended(OperationResult::Completed, kStatusWriteComplete);
            }
            sink_.setProgressPosition(0);
        }
    }
    StoreNameAndClose(device_, image_.sourcePath, outcome_);
    sink_.setStatus(outcome_.status);

    if (timerStarted) {
        sink_.stopElapsedTimer();
    }
    device_.close();
    sink_.setSector("");
    return outcome_;
}

bool RomWriteRun::detectSectors(EraseHint& hint) {
    const bool detected = DetectSectorsTables(device_.get(), table_, &hint) != 0;
    // The identification asks for both chips even after a failed transfer and may still find
    // chip 0; a device that stopped answering on the way is not to be erased, and not a chip
    // problem either.
    if (!device_.answering()) {
        outcome_ = NoAnswerAt(device_step::kSectorDetection);
        return false;
    }
    if (!detected) {
        outcome_ = Ended(OperationResult::SectorsUndetected, kStatusCantDetectSectors);
    }
    return detected;
}

bool RomWriteRun::erased(bool ok, std::uint32_t offset) {
    if (!ok) {
        outcome_ = FailedAt(OperationResult::EraseFailed, offset);
    }
    return ok;
}

bool RomWriteRun::eraseChips() {
    sink_.setFastErase(true);
    sink_.setStatus("Erasing ROM0");
    if (!erased(EraseSector(device_.get(), VELK_CHIP0_COMMAND_ADDRESS, 1, VELK_ERASE_CHIP) != 0,
                0)) {
        return false;
    }
    pause(kPauseAfterFirstChip);
    if (size_ > kChipBytes) {
        if (cancelledAt(kChipBytes)) {
            return false;
        }
        sink_.setStatus("Erasing ROM1");
        return erased(
            EraseSector(device_.get(), VELK_CHIP1_COMMAND_ADDRESS, 1, VELK_ERASE_CHIP) != 0,
            kChipBytes);
    }
    return true;
}

bool RomWriteRun::eraseSectors() {
    sink_.setFastErase(false);
    SectorWalk walk(table_);
    for (std::uint32_t i = 0; i < blocks_; ++i) {
        // Only sectors whose first word lies inside the image's blocks are erased.
        if (const SectorEntry* row = walk.startsAt(i * (kBlockBytes / 2))) {
            if (cancelledAt(row->wordAddress * 2)) {
                return false;
            }
            sink_.setSector(SectorName(*row));
            sink_.setStatus("Erasing");
            if (!erased(EraseSector(device_.get(), row->wordAddress, 1, VELK_ERASE_SECTOR) != 0,
                        row->wordAddress * 2)) {
                return false;
            }
        }
        sink_.setProgressPosition(i);
    }
    return true;
}

bool RomWriteRun::writeBlocks() {
    sink_.setProgressPosition(0);
    sink_.setStatus("Writing");
    SectorWalk walk(table_);
    for (std::uint32_t i = 0; i < blocks_; ++i) {
        const std::uint32_t offset = i * kBlockBytes;
        if (cancelledAt(offset)) {
            return false;
        }
        if (const SectorEntry* row = walk.startsAt(offset / 2)) {
            sink_.setSector(SectorName(*row));
        }
        if (!ProgramBlock(device_.get(), image_.bytes.data() + offset, offset, request_.verify,
                          outcome_)) {
            return false;
        }
        sink_.setProgressPosition(i);
    }
    return true;
}

void RomWriteRun::pause(std::chrono::milliseconds duration) const {
    if (request_.pause) {
        request_.pause(duration);
    } else {
        std::this_thread::sleep_for(duration);
    }
}

}  // namespace

OperationOutcome WriteRom(const RomWriteRequest& request, OperationSink& sink) {
    if (!request.image || request.image->bytes.empty()) {
        // Before the run opens the device: nothing would be sent, yet the name would be stored.
        return Ended(OperationResult::NothingToSend, kRomTooSmallText);
    }
    RomWriteRun run(request, sink);
    return run.run();
}

}  // namespace nuvrel
