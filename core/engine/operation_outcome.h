// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// How a long device operation ended. Shared by the ROM and save-RAM engines so that both front
// ends (the pages and nuvrel-cli) can map outcomes to messages and exit codes in one place.
#pragma once

#include <cstdint>
#include <string>

namespace nuvrel {

enum class OperationResult {
    Completed,          // "Write Complite" / "Read Complite"
    VerifyFailed,       // "Verify error at: 0x%.6X"
    WriteFailed,        // a device write call failed: "Write error at: 0x%.6X"
    ReadFailed,         // a device read call failed: "Read error at: 0x%.6X"
    EraseFailed,        // an erase call failed or never finished: "Erase error at: 0x%.6X"
    SectorsUndetected,  // "Can't detect sectors!"; nothing erased or written
    // Part of the image lies on flash no sector table describes (an unknown chip, an empty
    // slot): refused before anything is erased; the status names the chip and the range.
    FlashNotCovered,
    NoAnswer,         // a command's transfer failed outside the blocks: "Device not answering: %s"
    Cancelled,        // stopped on request at a block boundary: "Interrupted at 0x%.6X"
    NoDevice,         // the device could not be opened; quiet, status line untouched
    FileNotOpened,    // the data file could not be opened or created; quiet, status untouched
    FileReadFailed,   // the input file ended early or could not be read: "Can't read file!"
    FileWriteFailed,  // the output file could not be written or put in place: "Can't write file!"
    OutOfMemory,      // the image buffer could not be allocated: "Not enough memory!"
    // The input is shorter than one block: refused before the device is opened, nothing sent
    // and no name stored. The status carries the reason for the front end to show.
    NothingToSend,
};

struct OperationOutcome {
    OperationResult result = OperationResult::NoDevice;
    // The last text the engine put on the status line; empty for the quiet ends (NoDevice,
    // FileNotOpened), where the status line keeps whatever it showed before.
    std::string status;
    // Byte offset of the failing block for VerifyFailed, WriteFailed, ReadFailed and EraseFailed,
    // of the first block not done for Cancelled (ROM: offset in the image; save RAM: offset in
    // the save file). 0 otherwise.
    std::uint32_t failingOffset = 0;
    // NoDevice: why the device could not be opened, when the library knew; empty otherwise.
    std::string openRefusal;

    bool succeeded() const { return result == OperationResult::Completed; }
};

// Status texts the engines use beyond the step words.
inline constexpr const char* kStatusCantReadFile = "Can't read file!";
inline constexpr const char* kStatusCantWriteFile = "Can't write file!";
inline constexpr const char* kStatusNotEnoughMemory = "Not enough memory!";
inline constexpr const char* kStatusCantDetectSectors = "Can't detect sectors!";
inline constexpr const char* kStatusWriteComplete = "Write Complite";
inline constexpr const char* kStatusReadComplete = "Read Complite";

}  // namespace nuvrel
