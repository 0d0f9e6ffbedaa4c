// Which buttons and check boxes each long device operation disables when it starts and enables
// when it ends, by caption. The ROM and save RAM pages build their OperationControls from this
// table so the rules live in one place.
#pragma once

#include <vector>

#include "shell/operation_controls.h"

namespace nuvrel {

enum class DeviceOperation { SaveRamRead, SaveRamWrite, SaveRamClear, RomRead, RomWrite };

struct ControlsTable {
    std::vector<const char*> disabledAtStart;
    std::vector<const char*> enabledAtEnd;
    // The "Sector:" field is emptied before the controls are enabled.
    bool emptiesSector = false;
};

const ControlsTable& controlsTable(DeviceOperation operation);

// Fills controls.disabledAtStart and controls.enabledAtEnd with the page's buttons and check
// boxes whose captions the table names (a shortcut's '&' does not count). Where the table says
// so, the "Sector:" field (controls.sector) is emptied after any beforeEnabling hook the page set.
void applyControlsTable(DeviceOperation operation, const QWidget& page,
                        OperationControls& controls);

}  // namespace nuvrel
