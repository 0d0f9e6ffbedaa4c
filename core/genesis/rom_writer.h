// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Programming a Genesis ROM image into the device's flash: the whole write run, from opening the
// device to the closing read, reporting through an OperationSink. Qt-free; the GUI runs it on a
// worker thread, nuvrel-cli directly. The caller owns the busy flag (set before, cleared after).
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>

#include "engine/cancel_token.h"
#include "engine/operation_outcome.h"
#include "engine/operation_sink.h"
#include "genesis/rom_image_format.h"

namespace nuvrel {

struct RomWriteRequest {
    std::string imagePath;        // copied once when the run starts
    std::uint32_t imageSize = 0;  // bytes to program, as measured when the image was selected
    // The file's layout; imageSize is then the size of the plain image it is converted to.
    RomImageFormat format = RomImageFormat::Plain;
    bool verify = false;     // "Verify data"
    bool fastErase = false;  // "Fast Erase": whole-chip erase when the chips allow it
    // Applies the ticked patches to the image in memory; null when the patch page was never
    // shown. The buffer holds `length` image bytes followed by 512 writable slack bytes that are
    // never sent (a patch on the last byte spills its low byte there).
    std::function<void(std::uint8_t* image, std::uint32_t length)> applyPatches;
    // The pause after erasing the first chip (1000 ms). Null: really sleep. Tests inject a
    // recorder so they need not wait.
    std::function<void(std::chrono::milliseconds)> pause;
    // Checked between blocks; null: the run cannot be stopped.
    const CancelToken* cancel = nullptr;
};

// Runs the write. The status texts it shows, in the order they can appear: "Analizing file",
// "Can't detect sectors!", "Erasing ROM0", "Erasing ROM1", "Erasing", "Writing", then the outcome
// ("Write Complite", "Verify error at: 0x%.6X", "Write error at: 0x%.6X", "Read error at:
// 0x%.6X", "Erase error at: 0x%.6X", "Can't read file!", "Not enough memory!"). The "Sector:"
// field is emptied when the run ends, on every path.
OperationOutcome WriteRom(const RomWriteRequest& request, OperationSink& sink);

}  // namespace nuvrel
