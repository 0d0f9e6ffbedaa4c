// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The controls of the page that started a device operation: what the worker drives while it runs
// and which buttons it disables at the start and enables on every way out.
#pragma once

#include <QPointer>
#include <QWidget>
#include <functional>
#include <vector>

class QProgressBar;
class QAbstractButton;

namespace nuvrel {

struct OperationControls {
    QPointer<QProgressBar> progress;
    // Text fields: any widget with a "text" property (QLineEdit, QLabel).
    QPointer<QWidget> status;
    QPointer<QWidget> processTime;
    QPointer<QWidget> sector;             // the ROM page only
    QPointer<QAbstractButton> fastErase;  // the ROM page only

    std::vector<QPointer<QWidget>> disabledAtStart;
    std::vector<QPointer<QWidget>> enabledAtEnd;
    // Runs on the user-interface thread just before enabledAtEnd is enabled (for example to empty
    // the "Sector:" field after a ROM write).
    std::function<void()> beforeEnabling;
};

}  // namespace nuvrel
