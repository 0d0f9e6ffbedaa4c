// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "shell/operation_buttons.h"

#include <QString>
#include <utility>
#include <vector>

namespace nuvrel {

namespace {

using Role = QPointer<QAbstractButton> OperationButtons::*;

struct ControlsTable {
    std::vector<Role> disabledAtStart;
    std::vector<Role> enabledAtEnd;
    // The "Sector:" field is emptied before the controls are enabled.
    bool emptiesSector = false;
};

using B = OperationButtons;

// "Read" is enabled again by choosing an output file, never by an operation; "Write" after a
// write and by choosing an input file.
const ControlsTable kSaveRamRead{{&B::write, &B::inFile, &B::outFile, &B::read},
                                 {&B::outFile, &B::inFile, &B::clearRam, &B::verify}};
const ControlsTable kSaveRamWrite{
    {&B::write, &B::inFile, &B::outFile, &B::read, &B::clearRam, &B::verify},
    {&B::write, &B::outFile, &B::inFile, &B::clearRam, &B::verify}};
const ControlsTable kSaveRamClear{
    {&B::write, &B::inFile, &B::outFile, &B::read, &B::clearRam, &B::verify},
    {&B::outFile, &B::inFile, &B::clearRam, &B::verify}};
const ControlsTable kRomRead{
    {&B::write, &B::verify, &B::fastErase, &B::inFile, &B::outFile, &B::read},
    {&B::outFile, &B::inFile}};
const ControlsTable kRomWrite{
    {&B::write, &B::inFile, &B::outFile, &B::read, &B::verify, &B::fastErase},
    {&B::write, &B::verify, &B::fastErase, &B::outFile, &B::inFile},
    true};

const ControlsTable& controlsTable(DeviceOperation operation) {
    switch (operation) {
        case DeviceOperation::SaveRamRead:
            return kSaveRamRead;
        case DeviceOperation::SaveRamWrite:
            return kSaveRamWrite;
        case DeviceOperation::SaveRamClear:
            return kSaveRamClear;
        case DeviceOperation::RomRead:
            return kRomRead;
        case DeviceOperation::RomWrite:
            break;
    }
    return kRomWrite;
}

std::vector<QPointer<QWidget>> pick(const OperationButtons& buttons,
                                    const std::vector<Role>& roles) {
    std::vector<QPointer<QWidget>> picked;
    for (const Role role : roles) {
        if (buttons.*role != nullptr) {
            picked.emplace_back(buttons.*role);
        }
    }
    return picked;
}

}  // namespace

void applyControlsTable(DeviceOperation operation, const OperationButtons& buttons,
                        OperationControls& controls) {
    const ControlsTable& table = controlsTable(operation);
    controls.disabledAtStart = pick(buttons, table.disabledAtStart);
    controls.enabledAtEnd = pick(buttons, table.enabledAtEnd);
    if (table.emptiesSector) {
        controls.beforeEnabling = [pageHook = std::move(controls.beforeEnabling),
                                   sector = controls.sector] {
            if (pageHook) {
                pageHook();
            }
            if (sector != nullptr) {
                sector->setProperty("text", QString());
            }
        };
    }
}

OperationControls controlsForOperation(DeviceOperation operation, const RunFields& fields,
                                       const OperationButtons& buttons) {
    OperationControls controls{.progress = fields.progress,
                               .status = fields.status,
                               .processTime = fields.processTime,
                               .sector = fields.sector,
                               .fastErase = buttons.fastErase,
                               .disabledAtStart = {},
                               .enabledAtEnd = {},
                               .beforeEnabling = {}};
    applyControlsTable(operation, buttons, controls);
    return controls;
}

}  // namespace nuvrel
