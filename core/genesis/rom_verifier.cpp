// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "genesis/rom_verifier.h"

#include <algorithm>
#include <memory>
#include <new>

#include <velk_series/velk_series.h>

#include "engine/brivo_window.h"
#include "engine/device_session.h"
#include "engine/input_file.h"
#include "engine/status_text.h"

namespace nuvrel {
namespace {

constexpr std::uint32_t kBlockBytes = 1024;
constexpr std::uint8_t kBlockUnits = kBlockBytes / VELK_UNIT_BYTES;

OperationOutcome CompareBlocks(const RomVerifyRequest& request, const std::uint8_t* image,
                               DeviceSession& device, OperationSink& sink) {
    const std::uint32_t size = request.imageSize;
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
    DeviceSession device;
    if (!device.opened()) {
        return device.notOpened();
    }
    const InputFile file(request.imagePath);
    if (!file.opened()) {
        return Ended(OperationResult::FileNotOpened, "");
    }
    OperationOutcome outcome;
    // One byte of slack for a patch on the image's last byte.
    std::unique_ptr<std::uint8_t[]> image(new (std::nothrow)
                                              std::uint8_t[std::size_t{request.imageSize} + 1]());
    if (!image) {
        outcome = Ended(OperationResult::OutOfMemory, kStatusNotEnoughMemory);
    } else if (!ReadPlainImage(file.get(), request.format, image.get(), request.imageSize)) {
        outcome = Ended(OperationResult::FileReadFailed, kStatusCantReadFile);
    } else if (!SelectBrivoWindow(device, BrivoWindow::Rom)) {
        outcome = NoAnswerAt(device_step::kWindowSwitch);
    } else {
        if (request.applyPatches) {
            request.applyPatches(image.get(), request.imageSize);
        }
        sink.startElapsedTimer();
        outcome = CompareBlocks(request, image.get(), device, sink);
        sink.setProgressPosition(0);
        sink.stopElapsedTimer();
    }
    sink.setStatus(outcome.status);
    return outcome;
}

}  // namespace nuvrel
