// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: LGPL-2.1-or-later

// Erase, read and write of the cartridge memory.
#include <array>
#include <cstdint>

#include "core/exchange.h"
#include "core/library_state.h"
#include "flash/erase_poll_wait.h"
#include "velk_series/velk_series.h"

namespace {

constexpr std::uint8_t kEraseCode = 0x45;
constexpr std::uint8_t kStatusCode = 0x43;
constexpr std::uint8_t kReadCode = 0x52;
constexpr std::uint8_t kWriteRomCode = 0x57;
constexpr std::uint8_t kWriteRamCode = 0x55;
constexpr std::uint8_t kErasedNow = 1;

std::size_t bytesOf(std::uint8_t count) {
    return std::size_t{count} * VELK_UNIT_BYTES;
}

VelkBool writeUnits(DeviceHandle device, std::uint8_t code, const void* buffer,
                    std::uint32_t wordAddress, std::uint8_t count) {
    // Checked before the block goes out: a device that has been announced a data phase would
    // take the next command's block for data.
    if (buffer == nullptr && count != 0) {
        return ReturnFalseClear();
    }
    velk::CommandBlock block = velk::perCallBlock(code);
    velk::putWordAddress(block, wordAddress);
    block[20] = count;
    block[21] = 0x01;
    if (!velk::sendBlockWithData(device, block, buffer, bytesOf(count))) {
        return ReturnFalseClear();
    }
    return 1;
}

}  // namespace

extern "C" {

VelkBool VELK_CALL EraseSector(DeviceHandle device, uint32_t wordAddress, uint8_t wait,
                               uint8_t code) {
    // The status poll goes out in the shared transfer block, whose byte 20 still holds the count
    // of the last ReadSector.
    velk::CommandBlock& poll = velk::libraryState().blocks.transfer;
    poll[velk::block::kCode] = kEraseCode;
    velk::putWordAddress(poll, wordAddress);

    velk::CommandBlock block = velk::perCallBlock(kEraseCode);
    velk::putWordAddress(block, wordAddress);
    block[20] = code;
    std::array<std::uint8_t, 3> reply{};
    if (!velk::sendBlockForReply(device, block, reply.data(), reply.size())) {
        return ReturnFalseClear();
    }
    if (wait == 0 || reply[2] == kErasedNow) {
        return 1;
    }

    poll[velk::block::kCode] = kStatusCode;
    for (int attempt = 0; attempt < velk::kErasePollLimit; ++attempt) {
        velk::waitBeforeErasePoll();
        std::array<std::uint8_t, 5> status{};
        if (!velk::sendBlockForReply(device, poll, status.data(), status.size())) {
            return ReturnFalseClear();
        }
        if (status[4] == kErasedNow) {
            return 1;
        }
    }
    // Out of attempts: the erase may still be running, so the busy flag stays as it is.
    return 0;
}

VelkBool VELK_CALL ReadSector(DeviceHandle device, void* buffer, uint32_t wordAddress,
                              uint8_t count) {
    velk::CommandBlock& block = velk::libraryState().blocks.transfer;
    block[velk::block::kCode] = kReadCode;
    velk::putWordAddress(block, wordAddress);
    block[20] = count;
    const std::size_t wanted = bytesOf(count);
    if (buffer == nullptr && wanted != 0) {
        return ReturnFalseClear();
    }
    // A short reply would leave stale bytes in the caller's buffer (a dump or a verify would
    // take them for cartridge data), so only the full count is a success.
    const auto received = velk::sendBlockForReply(device, block, buffer, wanted);
    if (!received || *received != wanted) {
        return ReturnFalseClear();
    }
    return 1;
}

VelkBool VELK_CALL WriteSector(DeviceHandle device, const void* buffer, uint32_t wordAddress,
                               uint8_t count) {
    return writeUnits(device, kWriteRomCode, buffer, wordAddress, count);
}

VelkBool VELK_CALL WriteRamSector(DeviceHandle device, const void* buffer, uint32_t wordAddress,
                                  uint8_t count) {
    return writeUnits(device, kWriteRamCode, buffer, wordAddress, count);
}

}  // extern "C"
