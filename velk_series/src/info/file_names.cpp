// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: LGPL-2.1-or-later

// ReadFileName and WriteFileName: the names kept in the device's three name slots.
#include <cstdint>
#include <cstring>

#include "core/exchange.h"
#include "core/library_state.h"
#include "velk_series/velk_series.h"

namespace {

constexpr std::uint8_t kReadCode = 0x47;
constexpr std::uint8_t kWriteCode = 0x50;
constexpr std::uint8_t kSlotCount = 3;

velk::CommandBlock& prepareBlock(std::uint8_t code, std::uint8_t slot) {
    velk::CommandBlock& block = velk::libraryState().blocks.fileName;
    block[velk::block::kCode] = code;
    block[velk::block::kParam] = slot;
    return block;
}

}  // namespace

extern "C" {

VelkBool VELK_CALL ReadFileName(DeviceHandle device, char* buffer, uint8_t slot) {
    const velk::CommandBlock& block = prepareBlock(kReadCode, slot);
    if (slot >= kSlotCount || buffer == nullptr) {
        return ReturnFalseClear();
    }
    std::memset(buffer, 0, VELK_FILE_NAME_SIZE);
    if (!velk::sendBlockForReply(device, block, buffer, VELK_FILE_NAME_SIZE)) {
        return ReturnFalseClear();
    }
    return 1;
}

VelkBool VELK_CALL WriteFileName(DeviceHandle device, char* name, uint8_t slot) {
    const velk::CommandBlock& block = prepareBlock(kWriteCode, slot);
    if (slot >= kSlotCount || name == nullptr) {
        return ReturnFalseClear();
    }
    name[VELK_FILE_NAME_SIZE - 1] = '\0';  // a longer name is cut to 63 characters
    const std::size_t length = std::strlen(name);
    if (!velk::sendBlockWithData(device, block, name, length + 1)) {
        return ReturnFalseClear();
    }
    return 1;
}

}  // extern "C"
