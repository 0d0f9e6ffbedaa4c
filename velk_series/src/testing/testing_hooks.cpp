#include "testing/testing_hooks.h"

#include "core/library_state.h"
#include "messages/message_handler.h"
#include "transport/pipe_table.h"
#include "transport/transport.h"

namespace velk {

void resetLibraryForTesting() {
    closeAllPipes();
    resetLibraryState();
    resetMessageHandler();
    setPollSleepForTesting({});
    overrideBackendsForTesting({});
}

}  // namespace velk
