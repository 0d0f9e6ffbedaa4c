#include "core/library_state.h"

namespace velk {

namespace {
constinit LibraryState g_state{};
}  // namespace

LibraryState& libraryState() {
    return g_state;
}

DeviceHandle pipePairHandle() {
    return &g_state.pipes;
}

PipePair* pipePairOf(DeviceHandle device) {
    return device == pipePairHandle() ? &g_state.pipes : nullptr;
}

void resetLibraryState() {
    g_state = LibraryState{};
}

}  // namespace velk
