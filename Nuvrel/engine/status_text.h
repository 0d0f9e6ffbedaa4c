// Outcome texts that carry the offset of the failing block, shared by the ROM and save-RAM runs.
#pragma once

#include <cstdint>
#include <string>

#include "engine/operation_outcome.h"

namespace nuvrel {

std::string VerifyErrorText(std::uint32_t offset);  // "Verify error at: 0x%.6X"
std::string WriteErrorText(std::uint32_t offset);   // "Write error at: 0x%.6X"
std::string ReadErrorText(std::uint32_t offset);    // "Read error at: 0x%.6X"
std::string EraseErrorText(std::uint32_t offset);   // "Erase error at: 0x%.6X"

// An outcome of one of the four offset kinds with its text.
OperationOutcome FailedAt(OperationResult result, std::uint32_t offset);

// An outcome with a fixed text.
OperationOutcome Ended(OperationResult result, std::string status);

}  // namespace nuvrel
