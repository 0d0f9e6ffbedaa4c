#include "genesis/rom_reader.h"

#include <cstdio>
#include <cstring>

#include <velk_series/velk_series.h>

#include "genesis/device_session.h"
#include "genesis/replacing_file.h"
#include "genesis/rom_image.h"
#include "genesis/status_text.h"

namespace nuvrel {
namespace {

constexpr std::uint32_t kDomesticNameWord = 0x120 / 2;
constexpr std::size_t kDomesticNameLength = 48;
constexpr std::uint32_t kReadBlockBytes = 1024;
constexpr std::uint8_t kReadBlockUnits = kReadBlockBytes / VELK_UNIT_BYTES;

std::string KilobyteText(std::uint32_t kilobyte) {
    char text[24];
    std::snprintf(text, sizeof text, "0x%X...", static_cast<unsigned>(kilobyte));
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
    ReadSector(device.get(), name, kDomesticNameWord, 1);
    info.domesticName = std::string(name, strnlen(name, kDomesticNameLength));

    info.romSize = GetMaxSize(device.get(), nullptr, 1);
    info.sizeText = DeviceSizeMBitText(info.romSize);

    char stored[VELK_FILE_NAME_SIZE] = {};
    ReadFileName(device.get(), stored, VELK_SLOT_ROM_NAME);
    const std::size_t storedLength = strnlen(stored, sizeof stored);
    // A name without its terminator within the slot is not trusted as a file name.
    if (storedLength < sizeof stored) {
        info.storedName.assign(stored, storedLength);
    }
    return info;
}

OperationOutcome ReadRom(const RomReadRequest& request, OperationSink& sink) {
    const std::uint32_t length = request.length;
    DeviceSession device;
    if (!device.opened()) {
        return Ended(OperationResult::NoDevice, "");
    }
    sink.startElapsedTimer();
    ReplacingFile output(request.outputPath);
    if (!output.open()) {
        device.close();
        sink.stopElapsedTimer();
        return Ended(OperationResult::FileNotOpened, "");
    }
    if (IsVelkBrivo(device.get()) != 0) {
        Compatibility(device.get(), VELK_COMPAT_ROM_MODE);
    }

    const std::uint32_t blocks = length / kReadBlockBytes;
    sink.setProgressRange(static_cast<std::uint16_t>(blocks));
    sink.setStatus("Reading");
    OperationOutcome outcome = Ended(OperationResult::Completed, kStatusReadComplete);
    std::uint8_t buffer[kReadBlockBytes];
    for (std::uint32_t i = 0; i < blocks; ++i) {
        const std::uint32_t offset = i * kReadBlockBytes;
        sink.setSector(KilobyteText(i));
        if (ReadSector(device.get(), buffer, offset / 2, kReadBlockUnits) == 0) {
            outcome = FailedAt(OperationResult::ReadFailed, offset);
            break;
        }
        if (!output.write(buffer, sizeof buffer)) {
            outcome = Ended(OperationResult::FileWriteFailed, kStatusCantWriteFile);
            break;
        }
        sink.setProgressPosition(i);
    }
    sink.setProgressPosition(0);
    if (outcome.succeeded() && !output.commit()) {
        outcome = Ended(OperationResult::FileWriteFailed, kStatusCantWriteFile);
    }
    sink.setStatus(outcome.status);
    device.close();
    sink.stopElapsedTimer();
    return outcome;
}

}  // namespace nuvrel
