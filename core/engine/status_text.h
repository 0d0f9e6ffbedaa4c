// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Outcome texts that say where a run failed, shared by the ROM and save-RAM runs.
#pragma once

#include <cstdint>
#include <string>

#include "engine/operation_outcome.h"

namespace nuvrel {

std::string VerifyErrorText(std::uint32_t offset);  // "Verify error at: 0x%.6X"
std::string WriteErrorText(std::uint32_t offset);   // "Write error at: 0x%.6X"
std::string ReadErrorText(std::uint32_t offset);    // "Read error at: 0x%.6X"
std::string EraseErrorText(std::uint32_t offset);   // "Erase error at: 0x%.6X"
std::string InterruptedText(std::uint32_t offset);  // "Interrupted at 0x%.6X"

// An outcome of one of the offset kinds (the four errors and Cancelled) with its text.
OperationOutcome FailedAt(OperationResult result, std::uint32_t offset);

// The steps of a run outside its blocks, named in "Device not answering: %s".
namespace device_step {
inline constexpr const char* kSizeQuery = "size query";
inline constexpr const char* kWindowSwitch = "window switch";
inline constexpr const char* kSaveRamProbe = "save RAM probe";
inline constexpr const char* kSectorDetection = "sector detection";
inline constexpr const char* kEraseCounter = "erase counter";
inline constexpr const char* kFileName = "file name";
inline constexpr const char* kClosingRead = "closing read";
// The short queries front ends make before a run.
inline constexpr const char* kRomQuery = "ROM query";
inline constexpr const char* kSaveRamQuery = "save RAM query";
inline constexpr const char* kHeaderRead = "header read";
inline constexpr const char* kDeviceInformation = "device information";
inline constexpr const char* kCompatibilitySet = "compatibility set";
}  // namespace device_step

// "Device not answering: %s": a command's transfer failed at that step.
OperationOutcome NoAnswerAt(const char* step);

// An outcome with a fixed text.
OperationOutcome Ended(OperationResult result, std::string status);

}  // namespace nuvrel
