// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// velk-sim's side of the socket: the frame decoder and what the device does with each message a
// host sends (the open handshake, bulk transfers, anything else), hosts taking turns.
//
// Input: byte 0 picks the device (model and chips), then messages, each a host byte (bits 0-1:
// which of four hosts sends it; bit 7: whether the holder counts as hung up should this host ask
// for the device), a 16-bit little-endian length and that many bytes.
//
// Making a 4 MiB device for every input would be most of the run, so each device is made once and
// brought back before every input to erased flash and save RAM, its power-up state and no open
// exchange; its names, erase counter and compatibility set carry over from input to input.
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <span>
#include <vector>

#include "fault_injector.h"
#include "frame_handler.h"
#include "transport/virtual_device_protocol.h"
#include "velk_sim/sim_harness.h"
#include "virtual_device.h"

namespace {

namespace vdev = velk::vdev;

void require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

velksim::DeviceConfig deviceFor(std::uint8_t choice) {
    constexpr std::array<char, 5> kModels{'c', 'e', 'g', 'm', 'x'};
    constexpr std::array<std::array<std::uint32_t, 2>, 4> kChips{{
        {velksim::kChip32MbitBottomA, velksim::kNoChip},
        {velksim::kChip16MbitA, velksim::kChipMx29lv160B},
        {velksim::kChip32MbitTop, 0x12345678u},
        {velksim::kNoChip, velksim::kNoChip},
    }};
    velksim::DeviceConfig config;
    config.model = kModels[choice % kModels.size()];
    config.chips = kChips[(choice / kModels.size()) % kChips.size()];
    config.erasePolls = choice & 0x80 ? 2 : 0;
    return config;
}

velksim::VirtualDevice& freshDevice(std::uint8_t choice) {
    static std::map<int, std::unique_ptr<velksim::VirtualDevice>> devices;
    const velksim::DeviceConfig config = deviceFor(choice);
    const int key = config.model * 1000 + (choice / 5) % 4 * 10 + config.erasePolls;
    std::unique_ptr<velksim::VirtualDevice>& device = devices[key];
    if (!device) {
        device = std::make_unique<velksim::VirtualDevice>(config, std::filesystem::path{});
        device->setCommandLogLimit(0);
    }
    static const std::vector<std::uint8_t> erased(0x400000, 0xFF);
    device->powerLost();
    device->setRomBytes(0, erased);
    device->setSaveRam(erased);
    return *device;
}

// A decoded frame encodes back to the same bytes (the two reserved header bytes aside).
void requireRoundTrip(std::span<const std::uint8_t> message, const vdev::FrameHeader& header) {
    const auto again = vdev::encodeFrame(header, header.kind == vdev::FrameKind::In
                                                     ? std::span<const std::uint8_t>{}
                                                     : message.subspan(vdev::kHeaderBytes));
    require(again.size() == message.size());
    for (std::size_t i = 0; i < again.size(); ++i) {
        require(i == 2 || i == 3 || again[i] == message[i]);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) {
        return 0;
    }
    velksim::VirtualDevice& device = freshDevice(data[0]);
    velksim::FaultInjector injector;
    velksim::FrameHandler frames;
    for (std::size_t at = 1; at + 3 <= size;) {
        const std::uint8_t host = data[at];
        const std::size_t length =
            std::min<std::size_t>(data[at + 1] | (data[at + 2] << 8), size - at - 3);
        const std::span<const std::uint8_t> message(data + at + 3, length);
        at += 3 + length;

        const auto header = vdev::decodeFrame(message);
        if (header) {
            requireRoundTrip(message, *header);
        }
        const int client = (host & 3) + 1;
        const bool holderGone = (host & 0x80) != 0;
        const velksim::FrameOutcome outcome = frames.handle(
            device, injector, client, message, [holderGone](int) { return holderGone; });
        if (outcome.droppedHolder != 0) {
            device.connectionClosed(outcome.droppedHolder);
            frames.release(outcome.droppedHolder);
        }
        if (!outcome.answer.empty()) {
            // Whatever a host sends, the device answers with a frame the host can read.
            const auto answer = vdev::decodeFrame(outcome.answer);
            require(answer && header && answer->sequence == header->sequence);
        }
        if (outcome.hangUp) {
            device.connectionClosed(client);
            frames.release(client);
        }
    }
    return 0;
}
