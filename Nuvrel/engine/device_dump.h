// Copying a stretch of device memory into a file, block by block, the way the ROM and save-RAM
// read-backs both do it: the destination is replaced only when every block was read and written.
// Qt-free. The caller owns the busy flag.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "engine/brivo_window.h"
#include "engine/cancel_token.h"
#include "engine/operation_outcome.h"
#include "engine/operation_sink.h"

namespace nuvrel {

inline constexpr std::uint32_t kDumpBlockBytes = 1024;

struct DeviceDump {
    std::string outputPath;
    std::uint32_t length = 0;  // rounded down to whole blocks
    // The window a Brivo is switched to before the first block, so it presents the memory read.
    BrivoWindow window = BrivoWindow::Rom;
    // Word address of the block that starts at this byte offset of the dump.
    std::function<std::uint32_t(std::uint32_t offset)> wordAt;
    // Called with the block number before each block is read; may be empty.
    std::function<void(std::uint32_t block)> beforeBlock;
    // Applied to each block between reading and writing it; may be empty.
    std::function<void(std::uint8_t* block, std::size_t length)> adjustBlock;
    const CancelToken* cancel = nullptr;  // checked between blocks
};

// Opens the device, reads dump.length / 1024 blocks into a temporary file beside the destination
// and renames it over the destination once all of them are in. Status: "Reading", then "Read
// Complite", "Read error at: 0x%.6X" or "Can't write file!".
OperationOutcome DumpDeviceToFile(const DeviceDump& dump, OperationSink& sink);

}  // namespace nuvrel
