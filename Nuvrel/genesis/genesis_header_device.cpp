#include <cstring>

#include <velk_series/velk_series.h>

#include "genesis/device_session.h"
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
    if (IsVelkBrivo(device.get()) != 0) {
        Compatibility(device.get(), VELK_COMPAT_ROM_MODE);
    }

    char name[VELK_FILE_NAME_SIZE] = {};
    ReadFileName(device.get(), name, VELK_SLOT_ROM_NAME);
    const std::size_t nameLength = strnlen(name, sizeof name);
    read.fileName = nameLength != 0 ? std::string(name, nameLength) : kNotApplicable;

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
