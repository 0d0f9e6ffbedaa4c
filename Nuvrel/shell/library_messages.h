// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Shows the device library's own messages ("Device Not Detected!", unrecognised chips) as the
// program's message boxes, whichever thread the library raised them on. Why a device could not be
// opened (another program uses it, no permission) is kept instead: pages show it where the user
// asked for the device, not on every refresh of a page coming to the front.
#pragma once

#include "engine/device_texts.h"

class QObject;

namespace nuvrel {

// uiContext: an object of the user-interface thread that lives as long as the handler is installed.
void installLibraryMessageHandler(QObject* uiContext);
void removeLibraryMessageHandler();

}  // namespace nuvrel
