// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Tells the user why the device could not be opened when they asked for it (a button press) and
// the library knew why: another program has the device, or the user may not open it. A page
// coming to the front is no such request and shows nothing.
#pragma once

#include <QString>

#include "engine/operation_outcome.h"
#include "engine/operation_sink.h"

class QWidget;

namespace nuvrel {

// An information box with the reason (it says whether the device is there); nothing for an empty
// reason. Returns whether a box was shown.
bool showOpenRefusal(QWidget* parent, const QString& reason);

// For a worker: a run that could not open the device ends quietly, unless the library knew why;
// that reason then goes on the status line.
void reportOpenRefusal(const OperationOutcome& outcome, OperationSink& sink);

}  // namespace nuvrel
