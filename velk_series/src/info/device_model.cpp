// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: LGPL-2.1-or-later

// IsVelkBrivo and GetMaxSize: the model table and the two exports that read it.
#include "info/device_model.h"

#include <array>
#include <cstdint>

#include "core/library_state.h"
#include "messages/message_handler.h"
#include "velk_series/velk_series.h"

namespace velk {

namespace {

constexpr std::array<DeviceModel, 4> kModels{{
    {'c', 0x400001, 0x8001},  // 4 MiB plus one, as the device reports it
    {'e', 0x200000, 0x8000},
    {'g', 0x200000, 0},
    {'m', 0x400000, 0},
}};

// Opens the device when the caller passed none and closes it again when done.
class DeviceUse {
  public:
    explicit DeviceUse(DeviceHandle given) : device_(given) {
        if (given == nullptr) {
            device_ = OpenVelkDevice();
            openedHere_ = device_ != VELK_INVALID_DEVICE;
        }
    }
    ~DeviceUse() {
        if (openedHere_) {
            CloseVelkDevice(device_);
        }
    }
    DeviceUse(const DeviceUse&) = delete;
    DeviceUse& operator=(const DeviceUse&) = delete;

    bool valid() const { return device_ != VELK_INVALID_DEVICE && device_ != nullptr; }
    DeviceHandle get() const { return device_; }

  private:
    DeviceHandle device_;
    bool openedHere_ = false;
};

}  // namespace

DeviceModel modelOf(char letter) {
    for (const DeviceModel& model : kModels) {
        if (model.letter == letter) {
            return model;
        }
    }
    return {letter, 0, 0};
}

}  // namespace velk

extern "C" {

VelkBool VELK_CALL IsVelkBrivo(DeviceHandle device) {
    velk::DeviceUse use(device);
    if (!use.valid()) {
        return 0;
    }
    DeviceInfoRecord record;
    return ReadDeviceInfo(use.get(), &record, VELK_SELECTOR_DATA_BUS) != 0 &&
                   record.firmwareVersion[velk::kModelLetterOffset] == velk::kBrivoModelLetter
               ? 1
               : 0;
}

uint32_t VELK_CALL GetMaxSize(DeviceHandle device, uint32_t* saveRamValue, int showMessage) {
    if (saveRamValue != nullptr) {
        *saveRamValue = 0;
    }
    velk::DeviceUse use(device);
    if (!use.valid()) {
        // A device that was found but refused (in use, no permission) has had its reason told
        // by the open that failed; "Device Not Detected!" on top would be wrong as well as twice.
        const velk::LibraryState& state = velk::libraryState();
        const bool reasonTold =
            state.lastOpenRefused && state.lastOpenResult == VELK_INVALID_DEVICE;
        if (showMessage != 0 && !reasonTold) {
            velk::showLibraryMessage("", "Device Not Detected!", VELK_ICON_ERROR);
        }
        return 0;
    }
    DeviceInfoRecord record;
    if (ReadDeviceInfo(use.get(), &record, VELK_SELECTOR_DATA_BUS) == 0) {
        return 0;
    }
    const velk::DeviceModel model = velk::modelOf(record.firmwareVersion[velk::kModelLetterOffset]);
    if (saveRamValue != nullptr) {
        *saveRamValue = model.saveRamValue;
    }
    return model.romCapacity;
}

}  // extern "C"
