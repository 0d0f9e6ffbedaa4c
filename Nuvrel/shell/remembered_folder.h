// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// File dialogs that start in the folder remembered for their kind and remember the folder of the
// file the user confirms. A cancelled dialog stores nothing.
#pragma once

#include <QString>

class QWidget;

namespace nuvrel {

// Returns the chosen file, or an empty string when the user cancelled. defaultSuffix (no dot) is
// added to a typed name without an extension.
QString chooseFileToOpen(QWidget* parent, const QString& valueName, const QString& filter,
                         const QString& defaultSuffix = QString());

// suggestedName is offered in the file-name box; the dialog starts in the remembered folder
// when there is one that still exists.
QString chooseFileToSave(QWidget* parent, const QString& valueName, const QString& filter,
                         const QString& suggestedName = QString(),
                         const QString& defaultSuffix = QString());

}  // namespace nuvrel
