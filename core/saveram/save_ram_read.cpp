// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include <velk_series/velk_series.h>

#include "engine/device_dump.h"
#include "saveram/save_ram.h"
#include "saveram/save_ram_window.h"

namespace nuvrel {

OperationOutcome ReadSaveRam(const SaveRamReadRequest& request, OperationSink& sink) {
    DeviceDump dump;
    dump.outputPath = request.outputPath;
    dump.length = request.length;
    dump.window = BrivoWindow::SaveRam;
    dump.wordAt = SaveRamWord;
    if (request.layout == SaveLayout::Window) {
        dump.adjustBlock = ClearEvenBytes;
    } else {
        dump.adjustBlock = [layout = request.layout](std::uint8_t* block, std::size_t length) {
            return WindowBlockToLayout(block, length, layout);
        };
    }
    dump.cancel = request.cancel;
    return DumpDeviceToFile(dump, sink);
}

}  // namespace nuvrel
