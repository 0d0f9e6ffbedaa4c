// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Copying a stretch of device memory into a file, block by block, the way the ROM and save-RAM
// read-backs both do it: the destination is replaced only when every block was read and written.
// Qt-free. The caller owns the busy flag.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include <velk_series/velk_series.h>

#include "engine/brivo_window.h"
#include "engine/cancel_token.h"
#include "engine/operation_outcome.h"
#include "engine/operation_sink.h"

namespace nuvrel {

inline constexpr std::uint32_t kDumpBlockBytes = 1024;
// 64-byte units per read: 16 (1 KiB) is what every device answers; the command takes up to 255,
// and larger reads depend on the device's firmware.
inline constexpr std::uint8_t kDumpUnitsPerRead = kDumpBlockBytes / VELK_UNIT_BYTES;

struct DeviceDump {
    std::string outputPath;
    std::uint32_t length = 0;                       // rounded down to whole kilobytes
    std::uint8_t unitsPerRead = kDumpUnitsPerRead;  // the last read of a run may be shorter
    // The window a Brivo is switched to before the first block, so it presents the memory read.
    BrivoWindow window = BrivoWindow::Rom;
    // Word address of the block that starts at this byte offset of the dump.
    std::function<std::uint32_t(std::uint32_t offset)> wordAt;
    // Called with the byte offset of each read before it is made; may be empty.
    std::function<void(std::uint32_t offset)> beforeBlock;
    // Applied to each read between reading and writing it; returns how many of its bytes go to
    // the file (it may pack them to the front). Empty: all of them.
    std::function<std::size_t(std::uint8_t* block, std::size_t length)> adjustBlock;
    const CancelToken* cancel = nullptr;  // checked between blocks
};

// Opens the device, reads the whole kilobytes of dump.length into a temporary file beside the
// destination and renames it over the destination once all of them are in. Status: "Reading",
// then "Read Complite", "Read error at: 0x%.6X", "Device not answering: window switch",
// "Interrupted at 0x%.6X" or "Can't write file!".
OperationOutcome DumpDeviceToFile(const DeviceDump& dump, OperationSink& sink);

}  // namespace nuvrel
