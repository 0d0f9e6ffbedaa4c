// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "genesis/flash_programming.h"

#include <algorithm>
#include <cstring>

#include "engine/status_text.h"
#include "engine/stored_name.h"

namespace nuvrel {

bool CancelledAt(const CancelToken* cancel, std::uint32_t offset, OperationOutcome& outcome) {
    if (!CancelRequested(cancel)) {
        return false;
    }
    outcome = FailedAt(OperationResult::Cancelled, offset);
    return true;
}

bool CountEraseCycle(const DeviceSession& device, OperationOutcome& outcome) {
    std::uint32_t eraseCount = 0;
    if (ReadErasingCount(device.get(), &eraseCount, 0) != 0) {
        ++eraseCount;
        ReadErasingCount(device.get(), &eraseCount, 1);
    }
    if (!device.answering()) {
        outcome = NoAnswerAt(device_step::kEraseCounter);
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

void StoreNameAndClose(const DeviceSession& device, bool storesName, const std::string& imagePath,
                       OperationOutcome& outcome) {
    // After a failed transfer nothing more may be sent: a device left waiting for a data phase
    // would take the next command block as its data.
    if (!device.answering()) {
        return;
    }
    if (storesName) {
        const std::string name =
            outcome.succeeded() ? MakeStoredName(imagePath) : std::string(kFailedWriteName);
        if (!StoreName(device.get(), VELK_SLOT_ROM_NAME, name)) {
            outcome = NoAnswerAt(device_step::kFileName);
            return;
        }
    }
    std::uint8_t closing[kImageBlockBytes];
    if (ReadSector(device.get(), closing, 0, kImageBlockUnits) == 0) {
        outcome = NoAnswerAt(device_step::kClosingRead);
    }
}

}  // namespace nuvrel
