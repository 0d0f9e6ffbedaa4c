// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "devinfo/device_report.h"

#include "engine/device_session.h"
#include "engine/stored_name.h"

namespace nuvrel {
namespace {

std::optional<DeviceInfoRecord> ReadRecord(DeviceHandle device, std::uint8_t selector) {
    DeviceInfoRecord record{};
    if (ReadDeviceInfo(device, &record, selector) == 0) {
        return std::nullopt;
    }
    return record;
}

std::optional<std::string> StoredText(DeviceHandle device, std::uint8_t slot) {
    const std::optional<StoredName> name = ReadStoredName(device, slot);
    if (!name) {
        return std::nullopt;
    }
    return name->text;
}

}  // namespace

DeviceReport ReadDeviceReport(ReportDetail detail) {
    DeviceReport report;
    DeviceSession device;
    if (!device.opened()) {
        return report;
    }
    report.deviceFound = true;
    // The first failed transfer ends the report: what was not read stays unknown.
    report.dataBus = ReadRecord(device.get(), VELK_SELECTOR_DATA_BUS);
    if (report.dataBus) {
        report.addressBus = ReadRecord(device.get(), VELK_SELECTOR_ADDRESS_BUS);
    }
    std::uint32_t counter = 0;
    if (report.addressBus && ReadErasingCount(device.get(), &counter, 0) != 0) {
        report.eraseCounter = counter;
    }
    if (detail == ReportDetail::WithCapacities && device.answering()) {
        report.romCapacity = GetMaxSize(device.get(), &report.saveRamValue, 0);
        report.capacitiesRead = device.answering();
        if (report.capacitiesRead) {
            report.romName = StoredText(device.get(), VELK_SLOT_ROM_NAME);
        }
        if (report.romName) {
            report.saveName = StoredText(device.get(), VELK_SLOT_SAVE_NAME);
        }
    }
    return report;
}

std::string ModelLetter(const DeviceInfoRecord& dataBus) {
    const char letter = dataBus.firmwareVersion[8];
    return letter == '\0' ? std::string() : std::string(1, letter);
}

}  // namespace nuvrel
