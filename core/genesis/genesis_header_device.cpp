// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include <cstring>

#include <velk_series/velk_series.h>

#include "engine/brivo_window.h"
#include "engine/device_session.h"
#include "engine/stored_name.h"
#include "genesis/genesis_header.h"

namespace nuvrel {
namespace {

constexpr std::uint32_t kHeaderWordAddress = kGenesisHeaderOffset / 2;
constexpr std::uint8_t kHeaderReadUnits = 3;  // 192 bytes from 0x100

}  // namespace

DeviceHeaderRead ReadGenesisHeaderFromDevice() {
    DeviceHeaderRead read;
    DeviceSession device;
    if (!device.opened()) {
        return read;
    }
    read.deviceFound = true;
    // The first failed transfer ends the read; the header then stays unknown.
    if (!SelectBrivoWindow(device, BrivoWindow::Rom)) {
        return read;
    }
    const std::optional<StoredName> name = ReadStoredName(device.get(), VELK_SLOT_ROM_NAME);
    if (!name) {
        return read;
    }
    // Shown as stored, cut after the slot's 64 characters.
    read.fileName = name->text.empty() ? std::string(kNotApplicable) : ShownStoredName(name->text);

    std::uint8_t bytes[kHeaderReadUnits * VELK_UNIT_BYTES] = {};
    if (ReadSector(device.get(), bytes, kHeaderWordAddress, kHeaderReadUnits) == 0) {
        return read;
    }
    GenesisHeaderBytes header{};
    std::memcpy(header.data(), bytes, header.size());
    read.header = header;
    return read;
}

}  // namespace nuvrel
