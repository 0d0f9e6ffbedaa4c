// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#include "testing/testing_hooks.h"

#include "core/library_state.h"
#include "messages/message_handler.h"
#include "transport/device_choice.h"
#include "transport/pipe_table.h"
#include "transport/transport.h"
#include "usb/system_root.h"
#include "usb/usb_bus.h"
#include "usb/usb_id_list.h"

namespace velk {

void resetLibraryForTesting() {
    closeAllPipes();
    resetLibraryState();
    resetMessageHandler();
    setPollSleepForTesting({});
    overrideBackendsForTesting({});
    setDeviceSelector({});
    setSystemRootForTesting({});
    resetUsbIdFileReports();
#if !defined(_WIN32)
    overrideUsbBusForTesting(nullptr);
#endif
}

}  // namespace velk
