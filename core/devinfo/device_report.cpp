// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "devinfo/device_report.h"

#include "engine/device_session.h"

namespace nuvrel {
namespace {

std::optional<DeviceInfoRecord> ReadRecord(DeviceHandle device, std::uint8_t selector) {
    DeviceInfoRecord record{};
    if (ReadDeviceInfo(device, &record, selector) == 0) {
        return std::nullopt;
    }
    return record;
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
    }
    return report;
}

std::string ModelLetter(const DeviceInfoRecord& dataBus) {
    const char letter = dataBus.firmwareVersion[8];
    return letter == '\0' ? std::string() : std::string(1, letter);
}

}  // namespace nuvrel
