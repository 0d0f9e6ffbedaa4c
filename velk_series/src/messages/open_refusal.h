// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: LGPL-2.1-or-later

// Why OpenVelkDevice could not open a device it found, told to the user through the message
// handler (icon VELK_ICON_REFUSAL) when the reason is one the user can act on.
#pragma once

#include "transport/transport.h"

namespace velk {

// The one-line text for a reason; empty for OpenRefusal::None.
const char* openRefusalText(OpenRefusal refusal);

// Shows the reason (nothing for OpenRefusal::None).
void reportOpenRefusal(OpenRefusal refusal);

}  // namespace velk
