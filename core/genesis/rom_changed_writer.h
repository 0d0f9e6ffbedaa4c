// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Reprogramming only the sectors whose content differs from an image: the device's ROM is read
// sector by sector and compared with the image (patches applied), and only the differing sectors
// are erased, written and, when asked, verified. The device then holds exactly what a full write
// would have left. Qt-free; the caller owns the busy flag.
#pragma once

#include <cstdint>
#include <memory>

#include "engine/cancel_token.h"
#include "engine/device_dump.h"
#include "engine/operation_outcome.h"
#include "engine/operation_sink.h"
#include "genesis/prepared_rom.h"

namespace nuvrel {

struct ChangedSectorCount {
    std::uint32_t compared = 0;   // sectors the image covers
    std::uint32_t rewritten = 0;  // of those, erased and written again
};

struct RomChangedWriteRequest {
    std::shared_ptr<const PreparedRom> image;  // as RomWriteRequest
    bool verify = false;
    // 64-byte units per comparison read (1 to 255); 16 is what every device answers.
    std::uint8_t unitsPerRead = kDumpUnitsPerRead;
    ChangedSectorCount* count = nullptr;  // filled in as the run goes, when given
    const CancelToken* cancel = nullptr;  // checked between reads and blocks
};

// Status texts: "Analizing file", "Can't detect sectors!" or "No sector table for flash chip
// ..." (a table that does not cover the image), "Comparing", "Erasing", "Writing", then "Write
// Complite" or the failure at its offset, as the full write reports them. A failed comparison
// read ends the run before anything is erased; the ROM name slot is emptied before the first
// erase and names the image after "Write Complite", also when no sector needed rewriting.
OperationOutcome WriteChangedRom(const RomChangedWriteRequest& request, OperationSink& sink);

}  // namespace nuvrel
