// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "genesis/rom_changed_writer.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <new>
#include <span>
#include <vector>

#include <velk_series/velk_series.h>

#include "engine/brivo_window.h"
#include "engine/device_session.h"
#include "engine/input_file.h"
#include "engine/status_text.h"
#include "genesis/flash_programming.h"
#include "genesis/sector_diff.h"
#include "genesis/sector_walk.h"

namespace nuvrel {
namespace {

class ChangedWriteRun {
  public:
    ChangedWriteRun(const RomChangedWriteRequest& request, OperationSink& sink)
        : request_(request), sink_(sink) {}

    OperationOutcome run();

  private:
    bool loadImage(std::FILE* file);
    bool findSectors();
    bool compare();
    bool readSector(const ImageSector& sector, std::vector<std::uint8_t>& bytes);
    bool countEraseCycle();
    bool rewrite(const ImageSector& sector);
    bool cancelledAt(std::uint32_t offset) {
        return CancelledAt(request_.cancel, offset, outcome_);
    }
    std::span<const std::uint8_t> image() const { return {image_.get(), request_.imageSize}; }

    const RomChangedWriteRequest request_;
    OperationSink& sink_;
    DeviceSession device_;
    std::unique_ptr<std::uint8_t[]> image_;
    SectorTable table_{};
    std::vector<ImageSector> sectors_;
    std::vector<ImageSector> changed_;
    bool erasing_ = false;
    OperationOutcome outcome_;
};

OperationOutcome ChangedWriteRun::run() {
    if (!device_.opened()) {
        return device_.notOpened();
    }
    if (!SelectBrivoWindow(device_, BrivoWindow::Rom)) {
        outcome_ = NoAnswerAt(device_step::kWindowSwitch);
        sink_.setStatus(outcome_.status);
        return outcome_;
    }
    const InputFile file(request_.imagePath);
    if (!file.opened()) {
        return Ended(OperationResult::FileNotOpened, "");
    }
    sink_.setStatus("Analizing file");
    if (loadImage(file.get()) && findSectors()) {
        sink_.startElapsedTimer();
        if (compare() && (changed_.empty() || countEraseCycle())) {
            bool done = true;
            for (const ImageSector& sector : changed_) {
                if (!rewrite(sector)) {
                    done = false;
                    break;
                }
            }
            if (done) {
                outcome_ = Ended(OperationResult::Completed, kStatusWriteComplete);
            }
        }
        sink_.setProgressPosition(0);
        // A run that changed nothing leaves the device holding this image all the same, so it
        // carries its name; a run that failed after erasing began must not carry any image's
        // name.
        StoreNameAndClose(device_, outcome_.succeeded() || erasing_, request_.imagePath, outcome_);
        sink_.stopElapsedTimer();
    }
    sink_.setStatus(outcome_.status);
    return outcome_;
}

bool ChangedWriteRun::loadImage(std::FILE* file) {
    const std::size_t size = request_.imageSize;
    // The slack after the image takes a patch's spill on the last byte, as in the full write.
    image_.reset(new (std::nothrow) std::uint8_t[size + kImageBlockBytes]());
    if (!image_) {
        outcome_ = Ended(OperationResult::OutOfMemory, kStatusNotEnoughMemory);
        return false;
    }
    if (std::fread(image_.get(), 1, size, file) != size) {
        outcome_ = Ended(OperationResult::FileReadFailed, kStatusCantReadFile);
        return false;
    }
    if (request_.applyPatches) {
        request_.applyPatches(image_.get(), request_.imageSize);
    }
    return true;
}

bool ChangedWriteRun::findSectors() {
    const bool detected = DetectSectorsTables(device_.get(), table_, nullptr) != 0;
    if (!device_.answering()) {
        outcome_ = NoAnswerAt(device_step::kSectorDetection);
        return false;
    }
    std::optional<std::vector<ImageSector>> sectors;
    if (detected) {
        sectors = SectorsOfImage(table_, request_.imageSize);
    }
    if (!sectors) {
        outcome_ = Ended(OperationResult::SectorsUndetected, kStatusCantDetectSectors);
        return false;
    }
    sectors_ = std::move(*sectors);
    if (request_.count != nullptr) {
        request_.count->compared = static_cast<std::uint32_t>(sectors_.size());
    }
    return true;
}

bool ChangedWriteRun::compare() {
    sink_.setStatus("Comparing");
    sink_.setProgressRange(static_cast<std::uint16_t>(sectors_.size()));
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 0; i < sectors_.size(); ++i) {
        const ImageSector& sector = sectors_[i];
        sink_.setSector(SectorName(*sector.row));
        if (!readSector(sector, bytes)) {
            return false;
        }
        if (SectorDiffers(image(), sector, bytes)) {
            changed_.push_back(sector);
        }
        sink_.setProgressPosition(static_cast<std::uint32_t>(i));
    }
    return true;
}

bool ChangedWriteRun::readSector(const ImageSector& sector, std::vector<std::uint8_t>& bytes) {
    const std::uint32_t chunk =
        std::uint32_t{std::max<std::uint8_t>(request_.unitsPerRead, 1)} * VELK_UNIT_BYTES;
    bytes.assign(sector.end - sector.start, 0);
    for (std::uint32_t offset = 0; offset < bytes.size(); offset += chunk) {
        const std::uint32_t address = sector.start + offset;
        if (cancelledAt(address)) {
            return false;
        }
        const std::uint32_t length = std::min<std::uint32_t>(chunk, sector.end - address);
        const auto units =
            static_cast<std::uint8_t>((length + VELK_UNIT_BYTES - 1) / VELK_UNIT_BYTES);
        if (units * VELK_UNIT_BYTES != length ||
            ReadSector(device_.get(), bytes.data() + offset, address / 2, units) == 0) {
            outcome_ = FailedAt(OperationResult::ReadFailed, address);
            return false;
        }
    }
    return true;
}

bool ChangedWriteRun::countEraseCycle() {
    erasing_ = CountEraseCycle(device_, outcome_);
    return erasing_;
}

bool ChangedWriteRun::rewrite(const ImageSector& sector) {
    if (cancelledAt(sector.start)) {
        return false;
    }
    sink_.setSector(SectorName(*sector.row));
    sink_.setStatus("Erasing");
    if (EraseSector(device_.get(), sector.row->wordAddress, 1, VELK_ERASE_SECTOR) == 0) {
        outcome_ = FailedAt(OperationResult::EraseFailed, sector.start);
        return false;
    }
    if (request_.count != nullptr) {
        ++request_.count->rewritten;
    }
    sink_.setStatus("Writing");
    const std::uint32_t whole = request_.imageSize / kImageBlockBytes * kImageBlockBytes;
    for (std::uint32_t offset = sector.start; offset < std::min(sector.end, whole);
         offset += kImageBlockBytes) {
        if (cancelledAt(offset) || !ProgramBlock(device_.get(), image_.get() + offset, offset,
                                                 request_.verify, outcome_)) {
            return false;
        }
    }
    return true;
}

}  // namespace

OperationOutcome WriteChangedRom(const RomChangedWriteRequest& request, OperationSink& sink) {
    // The device is closed before the "Sector:" field is emptied, on every path.
    const OperationOutcome outcome = ChangedWriteRun(request, sink).run();
    sink.setSector("");
    return outcome;
}

}  // namespace nuvrel
