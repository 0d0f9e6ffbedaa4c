// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// What the device says about itself: both controllers' information records, the erase counter
// and, where asked for, its model and capacities. The "Velk Device Info" page and `nuvrel-cli
// info` show it; this is Qt-free. Callers leave the device alone while the busy flag is set.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include <velk_series/velk_series.h>

namespace nuvrel {

struct DeviceReport {
    bool deviceFound = false;                    // false: nothing below was read
    std::optional<DeviceInfoRecord> dataBus;     // selector 0x55; nullopt: the read failed
    std::optional<DeviceInfoRecord> addressBus;  // selector 0xAA; nullopt: the read failed
    std::optional<std::uint32_t> eraseCounter;   // nullopt: the counter could not be read
    // Only with ReportDetail::WithCapacities: GetMaxSize's ROM size and save-RAM value, and
    // whether that query went through.
    std::uint32_t romCapacity = 0;
    std::uint32_t saveRamValue = 0;
    bool capacitiesRead = false;
    // Also only with WithCapacities: the names in the ROM and save slots (slots 0 and 2).
    std::optional<std::string> romName;
    std::optional<std::string> saveName;
};

enum class ReportDetail {
    Records,         // the records and the counter, what the device information page shows
    WithCapacities,  // the same, then the ROM capacity, the save-RAM value and the stored names
};

// Opens the device, reads the data-bus record, the address-bus record, the erase counter (and the
// capacities), and closes it again. The first failed transfer ends the report; nothing after it
// is asked for.
DeviceReport ReadDeviceReport(ReportDetail detail);

// A text field of a record; one that fills its field has no terminator.
template <std::size_t N>
std::string RecordText(const char (&field)[N]) {
    std::size_t length = 0;
    while (length < N && field[length] != '\0') {
        ++length;
    }
    return std::string(field, length);
}

// The model letter the data-bus firmware version carries after its number ("c" for the Brivo);
// empty when there is none.
std::string ModelLetter(const DeviceInfoRecord& dataBus);

}  // namespace nuvrel
