// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: LGPL-2.1-or-later

// ReadDeviceInfo and CompareVersion: the versions and texts of the device's two controllers.
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "core/exchange.h"
#include "core/library_state.h"
#include "velk_series/velk_series.h"

namespace {

constexpr std::size_t kTextsOffset = 8;

void formatVersion(char (&text)[16], const std::uint8_t* bytes) {
    std::snprintf(text, sizeof text, "%.2X.%.2X.%.2X%c", static_cast<unsigned>(bytes[0]),
                  static_cast<unsigned>(bytes[1]), static_cast<unsigned>(bytes[2]),
                  static_cast<char>(bytes[3]));
}

// Copies the zero-terminated text at `offset`, cut to fit the field with its terminating zero;
// returns where the next text starts.
template <std::size_t N>
std::size_t copyText(char (&field)[N],
                     const std::array<std::uint8_t, velk::kReplyBufferSize>& reply,
                     std::size_t offset) {
    if (offset >= reply.size()) {
        return reply.size();
    }
    const auto begin = reply.begin() + static_cast<long>(offset);
    const auto end = std::find(begin, reply.end(), std::uint8_t{0});
    const auto length = static_cast<std::size_t>(end - begin);
    std::copy_n(begin, std::min(length, N - 1), reinterpret_cast<std::uint8_t*>(field));
    return offset + length + 1;
}

std::uint8_t versionField(const DeviceInfoRecord& record, std::size_t at) {
    const auto high = static_cast<unsigned>(static_cast<std::uint8_t>(record.firmwareVersion[at]));
    const auto low =
        static_cast<unsigned>(static_cast<std::uint8_t>(record.firmwareVersion[at + 1]));
    // Meant for digits; a hexadecimal letter does not give back the byte it was printed from.
    return static_cast<std::uint8_t>((high - 0x30u) * 16u + (low - 0x30u));
}

}  // namespace

extern "C" {

VelkBool VELK_CALL ReadDeviceInfo(DeviceHandle device, DeviceInfoRecord* record, uint8_t selector) {
    velk::LibraryState& state = velk::libraryState();
    state.blocks.information[velk::block::kParam] = selector;
    if (record == nullptr) {
        return ReturnFalseClear();
    }
    std::memset(record, 0, sizeof *record);

    const auto received = velk::sendBlockForReply(device, state.blocks.information,
                                                  state.reply.data(), state.reply.size());
    if (!received) {
        return ReturnFalseClear();
    }
    if (selector != VELK_SELECTOR_DATA_BUS && selector != VELK_SELECTOR_ADDRESS_BUS) {
        return ReturnFalseClear();
    }

    // Texts end at 0x01 or 0x00; the first 0x00 ends the scan.
    for (std::size_t i = kTextsOffset; i < *received; ++i) {
        if (state.reply[i] == 0x00) {
            break;
        }
        if (state.reply[i] == 0x01) {
            state.reply[i] = 0x00;
        }
    }
    // Only this reply's bytes count: whatever an earlier, longer reply left in the shared buffer
    // beyond them must not show up as a version or a text.
    std::array<std::uint8_t, velk::kReplyBufferSize> reply{};
    std::copy_n(state.reply.begin(), *received, reply.begin());

    formatVersion(record->firmwareVersion, &reply[0]);
    formatVersion(record->bootVersion, &reply[4]);
    std::size_t next = copyText(record->text1, reply, kTextsOffset);
    if (selector == VELK_SELECTOR_DATA_BUS) {
        next = copyText(record->text2, reply, next);
        copyText(record->text3, reply, next);
    } else {
        copyText(record->addressText2, reply, next);
    }
    return 1;
}

VelkBool VELK_CALL CompareVersion(DeviceInfoRecord record, uint32_t major, uint32_t minor,
                                  uint32_t patch) {
    const std::uint32_t device = std::uint32_t{versionField(record, 0)} << 16 |
                                 std::uint32_t{versionField(record, 3)} << 8 |
                                 versionField(record, 6);
    const std::uint32_t wanted = (major & 0xFFu) << 16 | (minor & 0xFFu) << 8 | (patch & 0xFFu);
    return wanted <= device ? 1 : 0;
}

}  // extern "C"
