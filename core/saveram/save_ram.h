// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The save RAM of the device: its window at byte 0x200000 (one save byte per odd address), the
// queries the "RAM memory" page makes, the size rule for writes, and the read, write and clear
// runs. Qt-free. Callers keep the device alone while another operation has the busy flag set, and
// own the flag for the three runs.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/cancel_token.h"
#include "engine/operation_outcome.h"
#include "engine/operation_sink.h"
#include "saveram/save_layout.h"

namespace nuvrel {

inline constexpr std::uint32_t kSaveRamBase = 0x200000;

struct SaveRamInfo {
    // GetMaxSize found a device (romBytes != 0). False: no device, or a model without a known
    // size; with showMessage the library has said "Device Not Detected!" when it was missing.
    bool deviceFound = false;
    std::uint32_t ramSize = 0;  // the save-RAM value (m_ramSize); 0: the device has no save RAM
    // False when the device was found but a transfer of the query failed: the query stopped
    // there and the values are not the device's.
    bool answered = true;
    // Only for QuerySaveRamForRead:
    bool opened = false;     // false after deviceFound: "Device Not Detected!", disable "Read"
    std::string storedName;  // slot 2; empty when it has no terminator within 64 bytes
    std::uint32_t readLength = 0;  // twice the save-RAM value (m_readLength)
};

// GetMaxSize without a device handle: the size the refresh, "In File" and "Clear RAM" use.
SaveRamInfo QuerySaveRamSize(bool showMessage);

// What "Out File" learns: the size (GetMaxSize with its message as asked), then with the device
// open the stored save name and the read length. Stops after the size when there is no save RAM.
SaveRamInfo QuerySaveRamForRead(bool showMessage);

// A save file may hold at most the whole window, twice the save-RAM value.
inline bool SaveFileFits(std::uint32_t ramSize, std::uint32_t fileSize) {
    return static_cast<std::uint64_t>(fileSize) <= 2ull * ramSize;
}

// The write sends whole 256-byte window blocks only (of the window image, after any conversion).
inline bool SaveFileHasBlockToSend(std::uint64_t windowBytes) {
    return windowBytes >= 256;
}
// Before the file's layout is known: the smallest file that can fill one window block is a
// 128-byte compact save; a file of any other layout needs the 256 bytes itself.
inline bool SaveFileMayFillBlock(std::uint64_t fileSize) {
    return fileSize >= 256 || fileSize == 128;
}
inline constexpr const char* kSaveTooSmallText =
    "Nothing to write: the file is smaller than one 256-byte block.";
// The save RAM takes whole 256-byte window blocks; what the window bytes past the file would be
// is not known, so a file that ends inside a block is refused rather than cut or padded.
inline bool SaveFileFillsBlocks(std::uint64_t windowBytes) {
    return windowBytes % 256 == 0;
}
// "Can't write this save file: its last N bytes do not fill a 256-byte block of the save RAM"
std::string SavePartialBlockMessage(std::uint64_t windowBytes);

// "File Size is to large for attached device!\nDevice Rom Size: %dKbytes\nFile Size: %dKbytes"
std::string SaveTooLargeMessage(std::uint32_t ramSize, std::uint32_t fileSize);

struct SaveRamReadRequest {
    std::string outputPath;
    std::uint32_t length = 0;             // readLength; rounded down to whole kilobytes
    const CancelToken* cancel = nullptr;  // checked between blocks
    // The file's layout; anything but Window converts each block as it is read.
    SaveLayout layout = SaveLayout::Window;
};

// Reads the window in 1024-byte blocks into outputPath (even offsets zeroed). Written to a
// temporary file beside the destination that replaces it only after a complete run. Status:
// "Reading", then "Read Complite", "Read error at: 0x%.6X" or "Can't write file!".
OperationOutcome ReadSaveRam(const SaveRamReadRequest& request, OperationSink& sink);

struct SaveRamWriteRequest {
    std::string inputPath;
    std::uint32_t length = 0;  // the file size at selection (m_inSize); whole 256-byte blocks sent
    bool verify = true;
    const CancelToken* cancel = nullptr;  // checked between blocks
    // The window bytes to send instead of the file's, when the file was converted from another
    // layout in memory (length is then its size). The file itself names the save.
    std::vector<std::uint8_t> windowImage = {};
};

// A save file read whole and checked against the device's window: its layout as detected (or as
// named), and the window image a write sends when it is not the device's own layout. Files
// larger than the window are refused before they are read.
struct PreparedSave {
    bool opened = false;  // false: the file could not be read
    bool notRegular = false;
    SaveLayoutDetection detection;
    std::vector<std::uint8_t> windowImage;  // empty: send the file as it stands
    std::uint32_t windowBytes = 0;          // what the write sends
};
PreparedSave PrepareSaveFile(const std::string& path, std::uint32_t ramSize,
                             std::optional<SaveLayout> named = std::nullopt);

// Writes the file into the window in 256-byte blocks, verifying every save byte of a block when
// asked. Slot 2 holds " " from before the first block; MakeStoredName(inputPath) is stored
// there after a complete run. Status: "Writing", then "Write Complite", "Verify error at: 0x%.6X",
// "Write error at: 0x%.6X", "Read error at: 0x%.6X", "Device not answering: %s",
// "Interrupted at 0x%.6X" or "Can't read file!".
OperationOutcome WriteSaveRam(const SaveRamWriteRequest& request, OperationSink& sink);

struct SaveRamClearRequest {
    std::uint32_t ramSize = 0;  // the save-RAM value; the whole window (twice it) is cleared
    bool verify = true;         // the verify choice of the last write (true before any write)
    const CancelToken* cancel = nullptr;  // checked between blocks
};

// Writes zeros over the whole window. Status "Clearing", then the outcomes of WriteSaveRam
// ("Write Complite" on success). Slot 2 becomes " ".
OperationOutcome ClearSaveRam(const SaveRamClearRequest& request, OperationSink& sink);

}  // namespace nuvrel
