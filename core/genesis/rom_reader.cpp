// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "genesis/rom_reader.h"

#include <cstdio>
#include <cstring>

#include <velk_series/velk_series.h>

#include "engine/device_dump.h"
#include "engine/device_session.h"
#include "engine/size_units.h"
#include "engine/stored_name.h"

namespace nuvrel {
namespace {

constexpr std::uint32_t kDomesticNameWord = 0x120 / 2;
constexpr std::size_t kDomesticNameLength = 48;

// "Sector:" counts the kilobytes read.
std::string KilobyteText(std::uint32_t offset) {
    char text[24];
    std::snprintf(text, sizeof text, "0x%X...", static_cast<unsigned>(offset / 1024));
    return text;
}

}  // namespace

DeviceRomInfo QueryDeviceRom() {
    DeviceRomInfo info;
    DeviceSession device;
    if (!device.opened()) {
        return info;
    }
    info.deviceFound = true;

    char name[VELK_UNIT_BYTES] = {};
    if (ReadSector(device.get(), name, kDomesticNameWord, 1) == 0) {
        info.answered = false;
        return info;
    }
    info.domesticName = std::string(name, strnlen(name, kDomesticNameLength));

    info.romSize = GetMaxSize(device.get(), nullptr, 1);
    const std::optional<StoredName> stored =
        device.answering() ? ReadStoredName(device.get(), VELK_SLOT_ROM_NAME) : std::nullopt;
    if (!stored) {
        info.answered = false;
        return info;
    }
    info.sizeText = DeviceSizeMBitText(info.romSize);
    info.storedName = stored->fileName();
    return info;
}

OperationOutcome ReadRom(const RomReadRequest& request, OperationSink& sink) {
    DeviceDump dump;
    dump.outputPath = request.outputPath;
    dump.length = request.length;
    dump.window = BrivoWindow::Rom;
    dump.wordAt = [](std::uint32_t offset) { return offset / 2; };
    dump.unitsPerRead = request.unitsPerRead;
    dump.beforeBlock = [&sink](std::uint32_t offset) { sink.setSector(KilobyteText(offset)); };
    dump.cancel = request.cancel;
    return DumpDeviceToFile(dump, sink);
}

}  // namespace nuvrel
