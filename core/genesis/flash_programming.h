// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The steps on flash that the whole-image write and the changed-sector write share. A step that
// fails records the run's outcome and returns false, as the runs' own steps do; the device
// commands each step sends, and their order, are the same for both writes.
#pragma once

#include <cstdint>
#include <string>

#include <velk_series/velk_series.h>

#include "engine/cancel_token.h"
#include "engine/device_session.h"
#include "engine/operation_outcome.h"
#include "genesis/sector_diff.h"

namespace nuvrel {

// One image block in the units of a WriteSector or ReadSector.
inline constexpr std::uint8_t kImageBlockUnits = kImageBlockBytes / VELK_UNIT_BYTES;

// True when stop was asked for; the run then ends as cancelled at offset.
bool CancelledAt(const CancelToken* cancel, std::uint32_t offset, OperationOutcome& outcome);

// Refuses an image of `imageBytes` (whole blocks) that the detected table does not cover from
// byte 0 to its end (`coverage`, from CoverageOfImage): flash no table describes cannot be
// erased, and programming it unerased leaves the AND of old and new data. The status names the
// chip and the uncovered range.
bool FlashCoversImage(const DeviceSession& device, const SectorCoverage& coverage,
                      std::uint32_t imageBytes, OperationOutcome& outcome);

// The device's lifetime erase count: one more cycle, then the ROM name slot emptied (" "), all
// before anything is erased, so that a run that stops half way, however it stops, leaves no name
// of an image the flash does not hold.
bool BeginErasing(const DeviceSession& device, OperationOutcome& outcome);

// Programs the kImageBlockBytes at block, which lies at offset in the image, into erased flash.
// An all-0xFF block is not sent: erased flash already holds it. With verify the block is read
// back and compared.
bool ProgramBlock(DeviceHandle device, const std::uint8_t* block, std::uint32_t offset, bool verify,
                  OperationOutcome& outcome);

// The end of a write, while the device still answers: after success the ROM slot gets the
// image's name (a failed run left the slot empty when it began erasing), then the first block is
// read once more to close the run (its data is not used).
void StoreNameAndClose(const DeviceSession& device, const std::string& imagePath,
                       OperationOutcome& outcome);

}  // namespace nuvrel
