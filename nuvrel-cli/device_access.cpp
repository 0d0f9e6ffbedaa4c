#include "device_access.h"

#include <cstdio>
#include <string>

#include "cli_failure.h"

namespace nuvrel::cli {
namespace {

void VELK_CALL PrintLibraryMessage(void* /*context*/, const char* caption, const char* text,
                                   int /*icon*/) {
    std::string line = text != nullptr ? text : "";
    for (char& c : line) {
        if (c == '\n' || c == '\r') {
            c = ' ';
        }
    }
    if (caption != nullptr && caption[0] != '\0') {
        std::fprintf(stderr, "%s: %s\n", caption, line.c_str());
    } else {
        std::fprintf(stderr, "%s\n", line.c_str());
    }
}

}  // namespace

void InstallLibraryMessageHandler() {
    SetVelkMessageHandler(&PrintLibraryMessage, nullptr);
}

void RequireDeviceIdle() {
    if (IsVelkDeviceProcessed() != 0) {
        throw CliFailure(kExitNoDevice, kDeviceBusy);
    }
}

BusyFlagHold::BusyFlagHold() {
    RequireDeviceIdle();
    SetVelkDeviceProcessed(1);
}

BusyFlagHold::~BusyFlagHold() {
    SetVelkDeviceProcessed(0);
}

OpenDevice::OpenDevice() {
    if (!session_.opened()) {
        throw CliFailure(kExitNoDevice, kDeviceNotDetected);
    }
}

}  // namespace nuvrel::cli
