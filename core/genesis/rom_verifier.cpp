// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "genesis/rom_verifier.h"

#include <algorithm>

#include <velk_series/velk_series.h>

#include "engine/brivo_window.h"
#include "engine/device_session.h"
#include "engine/status_text.h"
#include "genesis/rom_image.h"

namespace nuvrel {
namespace {

constexpr std::uint32_t kBlockBytes = 1024;
constexpr std::uint8_t kBlockUnits = kBlockBytes / VELK_UNIT_BYTES;

OperationOutcome CompareBlocks(const RomVerifyRequest& request, DeviceSession& device,
                               OperationSink& sink) {
    const std::uint8_t* image = request.image->bytes.data();
    const std::uint32_t size = request.image->programmedSize();
    const std::uint32_t blocks = size / kBlockBytes + (size % kBlockBytes != 0 ? 1u : 0u);
    sink.setProgressRange(static_cast<std::uint16_t>(blocks));
    sink.setStatus("Verifying");
    std::uint8_t held[kBlockBytes];
    for (std::uint32_t i = 0; i < blocks; ++i) {
        const std::uint32_t offset = i * kBlockBytes;
        if (CancelRequested(request.cancel)) {
            return FailedAt(OperationResult::Cancelled, offset);
        }
        if (ReadSector(device.get(), held, offset / 2, kBlockUnits) == 0) {
            return FailedAt(OperationResult::ReadFailed, offset);
        }
        const std::uint32_t length = std::min(kBlockBytes, size - offset);
        const auto [differs, _] = std::mismatch(held, held + length, image + offset);
        if (differs != held + length) {
            return FailedAt(OperationResult::VerifyFailed,
                            offset + static_cast<std::uint32_t>(differs - held));
        }
        sink.setProgressPosition(i);
    }
    return Ended(OperationResult::Completed, kStatusRomMatches);
}

}  // namespace

OperationOutcome VerifyRom(const RomVerifyRequest& request, OperationSink& sink) {
    if (!request.image || request.image->bytes.empty()) {
        return Ended(OperationResult::NothingToSend, kRomTooSmallText);
    }
    DeviceSession device;
    if (!device.opened()) {
        return device.notOpened();
    }
    OperationOutcome outcome;
    if (!SelectBrivoWindow(device, BrivoWindow::Rom)) {
        outcome = NoAnswerAt(device_step::kWindowSwitch);
    } else {
        sink.startElapsedTimer();
        outcome = CompareBlocks(request, device, sink);
        sink.setProgressPosition(0);
        sink.stopElapsedTimer();
    }
    sink.setStatus(outcome.status);
    return outcome;
}

}  // namespace nuvrel
