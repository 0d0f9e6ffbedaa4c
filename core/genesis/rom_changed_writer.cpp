// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "genesis/rom_changed_writer.h"

#include <algorithm>
#include <vector>

#include <velk_series/velk_series.h>

#include "engine/brivo_window.h"
#include "engine/device_session.h"
#include "engine/status_text.h"
#include "genesis/flash_programming.h"
#include "genesis/rom_image.h"
#include "genesis/sector_diff.h"
#include "genesis/sector_walk.h"

namespace nuvrel {
namespace {

class ChangedWriteRun {
  public:
    ChangedWriteRun(const RomChangedWriteRequest& request, OperationSink& sink)
        : request_(request), image_(*request_.image), sink_(sink) {}

    OperationOutcome run();

  private:
    bool findSectors();
    bool compare();
    bool readSector(const ImageSector& sector, std::vector<std::uint8_t>& bytes);
    bool rewrite(const ImageSector& sector);
    bool cancelledAt(std::uint32_t offset) {
        return CancelledAt(request_.cancel, offset, outcome_);
    }
    const RomChangedWriteRequest request_;
    const PreparedRom& image_;
    OperationSink& sink_;
    DeviceSession device_;
    SectorTable table_{};
    std::vector<ImageSector> sectors_;
    std::vector<ImageSector> changed_;
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
    sink_.setStatus("Analizing file");
    if (findSectors()) {
        sink_.startElapsedTimer();
        if (compare() && (changed_.empty() || BeginErasing(device_, outcome_))) {
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
        // carries its name.
        StoreNameAndClose(device_, image_.sourcePath, outcome_);
        sink_.stopElapsedTimer();
    }
    sink_.setStatus(outcome_.status);
    return outcome_;
}

bool ChangedWriteRun::findSectors() {
    const bool detected = DetectSectorsTables(device_.get(), table_, nullptr) != 0;
    if (!device_.answering()) {
        outcome_ = NoAnswerAt(device_step::kSectorDetection);
        return false;
    }
    if (!detected) {
        outcome_ = Ended(OperationResult::SectorsUndetected, kStatusCantDetectSectors);
        return false;
    }
    SectorCoverage coverage = CoverageOfImage(table_, image_.programmedSize());
    if (!FlashCoversImage(device_, coverage, image_.programmedSize(), outcome_)) {
        return false;
    }
    sectors_ = std::move(coverage.sectors);
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
        if (SectorDiffers(image_.programmed(), sector, bytes)) {
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
    const std::uint32_t end = std::min(sector.end, image_.programmedSize());
    for (std::uint32_t offset = sector.start; offset < end; offset += kImageBlockBytes) {
        if (cancelledAt(offset) || !ProgramBlock(device_.get(), image_.bytes.data() + offset,
                                                 offset, request_.verify, outcome_)) {
            return false;
        }
    }
    return true;
}

}  // namespace

OperationOutcome WriteChangedRom(const RomChangedWriteRequest& request, OperationSink& sink) {
    if (!request.image || request.image->bytes.empty()) {
        return Ended(OperationResult::NothingToSend, kRomTooSmallText);
    }
    // The device is closed before the "Sector:" field is emptied, on every path.
    const OperationOutcome outcome = ChangedWriteRun(request, sink).run();
    sink.setSector("");
    return outcome;
}

}  // namespace nuvrel
