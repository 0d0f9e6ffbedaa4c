#include "genesis/rom_reader.h"

#include <cstdio>
#include <cstring>

#include <velk_series/velk_series.h>

#include "genesis/device_dump.h"
#include "genesis/device_session.h"
#include "genesis/rom_image.h"
#include "genesis/status_text.h"

namespace nuvrel {
namespace {

constexpr std::uint32_t kDomesticNameWord = 0x120 / 2;
constexpr std::size_t kDomesticNameLength = 48;

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
    DeviceDump dump;
    dump.outputPath = request.outputPath;
    dump.length = request.length;
    dump.compatibilityMode = VELK_COMPAT_ROM_MODE;
    dump.wordAt = [](std::uint32_t offset) { return offset / 2; };
    dump.beforeBlock = [&sink](std::uint32_t block) { sink.setSector(KilobyteText(block)); };
    return DumpDeviceToFile(dump, sink);
}

}  // namespace nuvrel
