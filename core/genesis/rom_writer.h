// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Programming a Genesis ROM image into the device's flash: the whole write run, from opening the
// device to the closing read, reporting through an OperationSink. Qt-free; the GUI runs it on a
// worker thread, nuvrel-cli directly. The caller owns the busy flag (set before, cleared after).
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>

#include "engine/cancel_token.h"
#include "engine/operation_outcome.h"
#include "engine/operation_sink.h"
#include "genesis/prepared_rom.h"

namespace nuvrel {

struct RomWriteRequest {
    // What to program, converted, patched and filled up to whole blocks before the run; it
    // cannot change during the run, nor can the name stored for it.
    std::shared_ptr<const PreparedRom> image;
    bool verify = false;     // "Verify data"
    bool fastErase = false;  // "Fast Erase": whole-chip erase when the chips allow it
    // The pause after erasing the first chip (1000 ms). Null: really sleep. Tests inject a
    // recorder so they need not wait.
    std::function<void(std::chrono::milliseconds)> pause;
    // Checked between blocks; null: the run cannot be stopped.
    const CancelToken* cancel = nullptr;
};

// Runs the write. The status texts it shows, in the order they can appear: "Analizing file",
// "Can't detect sectors!" or "No sector table for flash chip ...", "Erasing ROM0", "Erasing
// ROM1", "Erasing", "Writing", then the outcome ("Write Complite", "Verify error at: 0x%.6X",
// "Write error at: 0x%.6X", "Read error at: 0x%.6X", "Erase error at: 0x%.6X"). The ROM name
// slot is emptied before the first erase and names the image only after "Write Complite". The
// "Sector:" field is emptied when the run ends, on every path.
OperationOutcome WriteRom(const RomWriteRequest& request, OperationSink& sink);

}  // namespace nuvrel
