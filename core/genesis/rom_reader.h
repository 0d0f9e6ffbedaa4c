// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Reading the device's ROM back into a file, and the short queries the ROM page's "Out File" makes
// about the ROM the device holds. Qt-free. Callers keep the device alone while another operation
// has the busy flag set, and own the flag for ReadRom.
#pragma once

#include <cstdint>
#include <string>

#include "engine/cancel_token.h"
#include "engine/device_dump.h"
#include "engine/operation_outcome.h"
#include "engine/operation_sink.h"

namespace nuvrel {

struct DeviceRomInfo {
    bool deviceFound = false;  // false: show "Device Not Detected!" and disable "Read"
    // False when a transfer failed: the query stopped there and the fields below are not the
    // device's.
    bool answered = true;
    std::string domesticName;   // 48 characters from byte 0x120; trailing spaces kept
    std::uint32_t romSize = 0;  // GetMaxSize: the read-back length (m_deviceRomSize)
    std::string sizeText;       // "%dMBit", rounded down
    std::string storedName;     // slot 0; empty when it has no terminator within 64 bytes
};

// Opens the device, reads the domestic name (ReadSector count 1 at word 144), the ROM size and the
// stored name, and closes it again. The first failed transfer ends the query.
DeviceRomInfo QueryDeviceRom();

struct RomReadRequest {
    std::string outputPath;
    std::uint32_t length = 0;  // the device's ROM size; rounded down to whole kilobytes
    // 64-byte units per read (16 to 255); 16, 1 KiB, is what every device answers.
    std::uint8_t unitsPerRead = kDumpUnitsPerRead;
    const CancelToken* cancel = nullptr;  // checked between blocks
};

// Reads length / 1024 blocks of 1024 bytes into outputPath. The data goes to a temporary file
// beside the destination that replaces it only when every block was read and written; otherwise
// the destination keeps its old content. Status: "Reading", then "Read Complite", "Read error at:
// 0x%.6X" or "Can't write file!". "Sector:" counts the kilobytes ("0x%X...").
OperationOutcome ReadRom(const RomReadRequest& request, OperationSink& sink);

}  // namespace nuvrel
