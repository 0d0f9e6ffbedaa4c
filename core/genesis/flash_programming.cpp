// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "genesis/flash_programming.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "engine/status_text.h"
#include "engine/stored_name.h"

namespace nuvrel {
namespace {

constexpr std::uint32_t kSecondChipByte = 0x200000;

}  // namespace

bool CancelledAt(const CancelToken* cancel, std::uint32_t offset, OperationOutcome& outcome) {
    if (!CancelRequested(cancel)) {
        return false;
    }
    outcome = FailedAt(OperationResult::Cancelled, offset);
    return true;
}

bool FlashCoversImage(const DeviceSession& device, const SectorCoverage& coverage,
                      std::uint32_t imageBytes, OperationOutcome& outcome) {
    if (coverage.covers(imageBytes)) {
        return true;
    }
    const std::uint32_t covered = coverage.coveredBytes;
    // Chip 1 starts at word 0x100000; its identifier is read again only to name it.
    const std::uint8_t chip = covered >= kSecondChipByte ? 1 : 0;
    EraseHint hint = VELK_ERASE_HINT_NONE;
    const ChipId id = ReadRomID(device.get(), chip, &hint);
    if (!device.answering()) {
        outcome = NoAnswerAt(device_step::kSectorDetection);
        return false;
    }
    char text[160];
    std::snprintf(text, sizeof text,
                  "No sector table for flash chip %u (ID %.8X): image bytes 0x%.6X-0x%.6X can't "
                  "be erased; nothing written",
                  static_cast<unsigned>(chip), static_cast<unsigned>(id),
                  static_cast<unsigned>(covered), static_cast<unsigned>(imageBytes - 1));
    outcome = Ended(OperationResult::FlashNotCovered, text);
    return false;
}

bool BeginErasing(const DeviceSession& device, OperationOutcome& outcome) {
    std::uint32_t eraseCount = 0;
    if (ReadErasingCount(device.get(), &eraseCount, 0) != 0) {
        ++eraseCount;
        ReadErasingCount(device.get(), &eraseCount, 1);
    }
    if (!device.answering()) {
        outcome = NoAnswerAt(device_step::kEraseCounter);
        return false;
    }
    if (!StoreName(device.get(), VELK_SLOT_ROM_NAME, kFailedWriteName)) {
        outcome = NoAnswerAt(device_step::kFileName);
        return false;
    }
    return true;
}

bool ProgramBlock(DeviceHandle device, const std::uint8_t* block, std::uint32_t offset, bool verify,
                  OperationOutcome& outcome) {
    if (std::all_of(block, block + kImageBlockBytes, [](std::uint8_t b) { return b == 0xFF; })) {
        return true;
    }
    const std::uint32_t word = offset / 2;
    if (WriteSector(device, block, word, kImageBlockUnits) == 0) {
        outcome = FailedAt(OperationResult::WriteFailed, offset);
        return false;
    }
    if (!verify) {
        return true;
    }
    std::uint8_t readBack[kImageBlockBytes];
    if (ReadSector(device, readBack, word, kImageBlockUnits) == 0) {
        outcome = FailedAt(OperationResult::ReadFailed, offset);
        return false;
    }
    if (std::memcmp(readBack, block, kImageBlockBytes) != 0) {
        outcome = FailedAt(OperationResult::VerifyFailed, offset);
        return false;
    }
    return true;
}

void StoreNameAndClose(const DeviceSession& device, const std::string& imagePath,
                       OperationOutcome& outcome) {
    // After a failed transfer nothing more may be sent: a device left waiting for a data phase
    // would take the next command block as its data.
    if (!device.answering()) {
        return;
    }
    if (outcome.succeeded() &&
        !StoreName(device.get(), VELK_SLOT_ROM_NAME, MakeStoredName(imagePath))) {
        outcome = NoAnswerAt(device_step::kFileName);
        return;
    }
    std::uint8_t closing[kImageBlockBytes];
    if (ReadSector(device.get(), closing, 0, kImageBlockUnits) == 0) {
        outcome = NoAnswerAt(device_step::kClosingRead);
    }
}

}  // namespace nuvrel
