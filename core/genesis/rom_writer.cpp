// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "genesis/rom_writer.h"

#include <cstdio>
#include <memory>
#include <new>
#include <thread>

#include <velk_series/velk_series.h>

#include "engine/brivo_window.h"
#include "engine/device_session.h"
#include "engine/input_file.h"
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
          imagePath_(request_.imagePath),
          size_(request_.imageSize),
          blocks_(request_.imageSize / kBlockBytes),
          sink_(sink) {}

    OperationOutcome run();

  private:
    bool loadImage(std::FILE* file);
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

    // Copied once: a new selection on a page during the run changes neither the data written
    // nor the name stored.
    const RomWriteRequest request_;
    const std::string& imagePath_;
    const std::uint32_t size_;
    const std::uint32_t blocks_;
    OperationSink& sink_;

    DeviceSession device_;
    std::unique_ptr<std::uint8_t[]> image_;
    SectorTable table_{};
    bool erasing_ = false;  // the erase count went up: the flash is about to change
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
    const InputFile file(imagePath_);
    if (!file.opened()) {
        device_.close();
        sink_.setSector("");
        return Ended(OperationResult::FileNotOpened, "");
    }
    sink_.setStatus("Analizing file");

    bool timerStarted = false;
    EraseHint hint = VELK_ERASE_HINT_NONE;
    if (loadImage(file.get()) && detectSectors(hint)) {
        sink_.startElapsedTimer();
        timerStarted = true;
        if (CountEraseCycle(device_, outcome_)) {
            erasing_ = true;
            sink_.setProgressRange(static_cast<std::uint16_t>(blocks_));
            const bool erasedAll = useChipErase(hint) ? eraseChips() : eraseSectors();
            if (erasedAll && writeBlocks()) {
                outcome_ = Ended(OperationResult::Completed, kStatusWriteComplete);
            }
            sink_.setProgressPosition(0);
        }
    }
    // Once erasing began, the device must not carry the name of an image it does not fully hold.
    StoreNameAndClose(device_, erasing_, imagePath_, outcome_);
    sink_.setStatus(outcome_.status);

    image_.reset();
    if (timerStarted) {
        sink_.stopElapsedTimer();
    }
    device_.close();
    sink_.setSector("");
    return outcome_;
}

bool RomWriteRun::loadImage(std::FILE* file) {
    // The 512 bytes after the image are slack for a patch on the image's last byte.
    image_.reset(new (std::nothrow) std::uint8_t[static_cast<std::size_t>(size_) + kBlockBytes]());
    if (!image_) {
        outcome_ = Ended(OperationResult::OutOfMemory, kStatusNotEnoughMemory);
        return false;
    }
    if (!ReadPlainImage(file, request_.format, image_.get(), size_)) {
        // Programming the missing part would write whatever the buffer held.
        outcome_ = Ended(OperationResult::FileReadFailed, kStatusCantReadFile);
        return false;
    }
    if (request_.applyPatches) {
        request_.applyPatches(image_.get(), size_);
    }
    return true;
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
        // Only sectors whose first word lies inside the whole blocks are erased.
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
        if (!ProgramBlock(device_.get(), image_.get() + offset, offset, request_.verify,
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
    if (!ImageHasBlockToSend(request.imageSize)) {
        // Before the run opens the device: nothing would be sent, yet the name would be stored.
        return Ended(OperationResult::NothingToSend, kRomTooSmallText);
    }
    RomWriteRun run(request, sink);
    return run.run();
}

}  // namespace nuvrel
