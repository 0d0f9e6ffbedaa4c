// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "engine/status_text.h"

#include <cstdio>

namespace nuvrel {
namespace {

std::string WithOffset(const char* prefix, std::uint32_t offset) {
    char text[64];
    std::snprintf(text, sizeof text, "%s0x%.6X", prefix, static_cast<unsigned>(offset));
    return text;
}

}  // namespace

std::string VerifyErrorText(std::uint32_t offset) {
    return WithOffset("Verify error at: ", offset);
}
std::string WriteErrorText(std::uint32_t offset) {
    return WithOffset("Write error at: ", offset);
}
std::string ReadErrorText(std::uint32_t offset) {
    return WithOffset("Read error at: ", offset);
}
std::string EraseErrorText(std::uint32_t offset) {
    return WithOffset("Erase error at: ", offset);
}
std::string InterruptedText(std::uint32_t offset) {
    return WithOffset("Interrupted at ", offset);
}

OperationOutcome FailedAt(OperationResult result, std::uint32_t offset) {
    OperationOutcome outcome;
    outcome.result = result;
    outcome.failingOffset = offset;
    switch (result) {
        case OperationResult::VerifyFailed:
            outcome.status = VerifyErrorText(offset);
            break;
        case OperationResult::WriteFailed:
            outcome.status = WriteErrorText(offset);
            break;
        case OperationResult::ReadFailed:
            outcome.status = ReadErrorText(offset);
            break;
        case OperationResult::EraseFailed:
            outcome.status = EraseErrorText(offset);
            break;
        case OperationResult::Cancelled:
            outcome.status = InterruptedText(offset);
            break;
        default:
            break;
    }
    return outcome;
}

OperationOutcome NoAnswerAt(const char* step) {
    return Ended(OperationResult::NoAnswer, std::string("Device not answering: ") + step);
}

OperationOutcome Ended(OperationResult result, std::string status) {
    OperationOutcome outcome;
    outcome.result = result;
    outcome.status = std::move(status);
    return outcome;
}

}  // namespace nuvrel
