#include <velk_series/velk_series.h>

#include "genesis/device_dump.h"
#include "saveram/save_ram.h"
#include "saveram/save_ram_window.h"

namespace nuvrel {

OperationOutcome ReadSaveRam(const SaveRamReadRequest& request, OperationSink& sink) {
    DeviceDump dump;
    dump.outputPath = request.outputPath;
    dump.length = request.length;
    dump.compatibilityMode = VELK_COMPAT_SAVE_RAM_MODE;
    dump.wordAt = SaveRamWord;
    dump.adjustBlock = ClearEvenBytes;
    return DumpDeviceToFile(dump, sink);
}

}  // namespace nuvrel
