// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The library's reading of what a device answers: ReadDeviceInfo and the exports built on its
// records (CompareVersion, ReadRomID, IsVelkBrivo, GetMaxSize, DetectSectorsTables) and the other
// replies it takes apart (Compatibility, ReadErasingCount, ReadFileName), against a recorder
// answering with the input's bytes.
//
// Input: byte 0 is the transfer to fail (0xFF: none), byte 1 an extra information selector, then
// replies, each a length byte and that many bytes, handed out in order to the IN requests.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "recording_backend.h"
#include "velk_series/velk_series.h"

namespace {

void require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

template <std::size_t N>
void requireTerminated(const char (&field)[N]) {
    require(::strnlen(field, N) < N);
}

void requireSound(const DeviceInfoRecord& record) {
    requireTerminated(record.firmwareVersion);
    requireTerminated(record.bootVersion);
    requireTerminated(record.text1);
    requireTerminated(record.text2);
    requireTerminated(record.text3);
    requireTerminated(record.addressText2);
}

void VELK_CALL ignoreMessage(void*, const char*, const char*, int) {}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) {
        return 0;
    }
    velk::testing::RecorderSession session;
    SetVelkMessageHandler(&ignoreMessage, nullptr);
    if (data[0] != 0xFF) {
        session.device().failTransfer(data[0]);
    }
    const std::uint8_t selector = data[1];
    for (std::size_t at = 2; at < size;) {
        const std::size_t length = std::min<std::size_t>(data[at], size - at - 1);
        session.device().queueReply(
            std::vector<std::uint8_t>(data + at + 1, data + at + 1 + length));
        at += 1 + length;
    }

    const DeviceHandle device = OpenVelkDevice();
    require(device != VELK_INVALID_DEVICE);
    DeviceInfoRecord dataBus;
    DeviceInfoRecord addressBus;
    DeviceInfoRecord other;
    ReadDeviceInfo(device, &dataBus, VELK_SELECTOR_DATA_BUS);
    requireSound(dataBus);
    ReadDeviceInfo(device, &addressBus, VELK_SELECTOR_ADDRESS_BUS);
    requireSound(addressBus);
    ReadDeviceInfo(device, &other, selector);
    requireSound(other);
    CompareVersion(dataBus, 2, 6, 9);

    EraseHint hint = 0;
    ReadRomID(device, 0, &hint);
    ReadRomID(device, 1, nullptr);
    IsVelkBrivo(device);
    std::uint32_t saveRam = 0;
    GetMaxSize(device, &saveRam, 0);
    Compatibility(device, VELK_COMPAT_QUERY);
    std::uint32_t counter = 0;
    ReadErasingCount(device, &counter, 0);
    char name[VELK_FILE_NAME_SIZE];
    ReadFileName(device, name, VELK_SLOT_ROM_NAME);

    SectorTable table{};
    hint = 0;
    DetectSectorsTables(device, table, &hint);
    for (const SectorEntry& row : table) {
        requireTerminated(row.name);
    }
    CloseVelkDevice(device);
    return 0;
}
