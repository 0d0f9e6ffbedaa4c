// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Which buttons and check boxes each long device operation disables when it starts and enables
// when it ends. The ROM and save RAM pages hand over their own controls as typed members, so the
// rules live in one table and no caption is ever searched for.
#pragma once

#include <QAbstractButton>
#include <QPointer>

#include "shell/operation_controls.h"

class QProgressBar;

namespace nuvrel {

enum class DeviceOperation { SaveRamRead, SaveRamWrite, SaveRamClear, RomRead, RomWrite };

// A page's operation controls by role; a role the page does not have stays null.
struct OperationButtons {
    QPointer<QAbstractButton> write;
    QPointer<QAbstractButton> read;
    QPointer<QAbstractButton> inFile;
    QPointer<QAbstractButton> outFile;
    QPointer<QAbstractButton> verify;
    QPointer<QAbstractButton> clearRam;   // the save RAM page only
    QPointer<QAbstractButton> fastErase;  // the ROM page only
};

// Fills controls.disabledAtStart and controls.enabledAtEnd with the page's buttons the operation
// names. Where the operation says so, the "Sector:" field (controls.sector) is emptied after any
// beforeEnabling hook the page set.
void applyControlsTable(DeviceOperation operation, const OperationButtons& buttons,
                        OperationControls& controls);

// The fields a page's run reports into; a field the page does not have stays null.
struct RunFields {
    QPointer<QProgressBar> progress;
    QPointer<QWidget> status;
    QPointer<QWidget> processTime;
    QPointer<QWidget> sector;  // the ROM page only
};

// The controls a page hands to the runner for one operation: its run fields, and its buttons as
// the operation's table disables and enables them.
OperationControls controlsForOperation(DeviceOperation operation, const RunFields& fields,
                                       const OperationButtons& buttons);

}  // namespace nuvrel
