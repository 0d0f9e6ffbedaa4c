// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#include "messages/open_refusal.h"

#include "messages/message_handler.h"

namespace velk {

const char* openRefusalText(OpenRefusal refusal) {
    switch (refusal) {
        case OpenRefusal::InUse:
            return "Velk device in use by another program";
        case OpenRefusal::NoPermission:
#if defined(_WIN32)
            return "No permission to open the Velk device";
#else
            return "No permission to open the Velk device: install the udev rule "
                   "velk_series/udev/70-velk-series.rules (README.md, \"USB access on Linux\")";
#endif
        case OpenRefusal::WrongShape:
            return "The Velk device's USB ID is listed, but it has no interface with one bulk IN "
                   "and one bulk OUT endpoint of 64-byte packets: check the USB ID files";
        case OpenRefusal::None:
            break;
    }
    return "";
}

void reportOpenRefusal(OpenRefusal refusal) {
    if (refusal != OpenRefusal::None) {
        showLibraryMessage("", openRefusalText(refusal), VELK_ICON_REFUSAL);
    }
}

}  // namespace velk
