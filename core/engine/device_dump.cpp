// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "engine/device_dump.h"

#include <algorithm>
#include <vector>

#include <velk_series/velk_series.h>

#include "engine/device_session.h"
#include "engine/replacing_file.h"
#include "engine/status_text.h"

namespace nuvrel {
namespace {

OperationOutcome OutputRefused(ReplacingFile::OpenResult result) {
    // A file the system would not create ends quietly; one that exists but may not be replaced
    // is said, since replacing it would have gone through unnoticed.
    return result == ReplacingFile::OpenResult::NotWritable
               ? Ended(OperationResult::FileWriteFailed, kStatusCantWriteFile)
               : Ended(OperationResult::FileNotOpened, "");
}

OperationOutcome CopyBlocks(const DeviceDump& dump, DeviceSession& device, ReplacingFile& output,
                            OperationSink& sink) {
    const std::uint32_t total = dump.length / kDumpBlockBytes * kDumpBlockBytes;
    const std::uint32_t readBytes =
        std::uint32_t{std::max<std::uint8_t>(dump.unitsPerRead, 1)} * VELK_UNIT_BYTES;
    const std::uint32_t blocks = total / readBytes + (total % readBytes != 0 ? 1u : 0u);
    sink.setProgressRange(static_cast<std::uint16_t>(blocks));
    sink.setStatus("Reading");
    std::vector<std::uint8_t> buffer(readBytes);
    for (std::uint32_t i = 0; i < blocks; ++i) {
        const std::uint32_t offset = i * readBytes;
        const std::uint32_t length = std::min(readBytes, total - offset);
        if (CancelRequested(dump.cancel)) {
            return FailedAt(OperationResult::Cancelled, offset);
        }
        if (dump.beforeBlock) {
            dump.beforeBlock(offset);
        }
        if (ReadSector(device.get(), buffer.data(), dump.wordAt(offset),
                       static_cast<std::uint8_t>(length / VELK_UNIT_BYTES)) == 0) {
            return FailedAt(OperationResult::ReadFailed, offset);
        }
        const std::size_t keep =
            dump.adjustBlock ? dump.adjustBlock(buffer.data(), length) : length;
        if (!output.write(buffer.data(), keep)) {
            return Ended(OperationResult::FileWriteFailed, kStatusCantWriteFile);
        }
        sink.setProgressPosition(i);
    }
    return Ended(OperationResult::Completed, kStatusReadComplete);
}

}  // namespace

OperationOutcome DumpDeviceToFile(const DeviceDump& dump, OperationSink& sink) {
    DeviceSession device;
    if (!device.opened()) {
        return device.notOpened();
    }
    sink.startElapsedTimer();
    ReplacingFile output(dump.outputPath);
    OperationOutcome outcome;
    if (const auto opened = output.open(); opened != ReplacingFile::OpenResult::Opened) {
        outcome = OutputRefused(opened);
    } else if (!SelectBrivoWindow(device, dump.window)) {
        outcome = NoAnswerAt(device_step::kWindowSwitch);
    } else {
        outcome = CopyBlocks(dump, device, output, sink);
        sink.setProgressPosition(0);
        if (outcome.succeeded() && !output.commit()) {
            outcome = Ended(OperationResult::FileWriteFailed, kStatusCantWriteFile);
        }
    }
    if (!outcome.status.empty()) {
        sink.setStatus(outcome.status);
    }
    device.close();
    sink.stopElapsedTimer();
    return outcome;
}

}  // namespace nuvrel
