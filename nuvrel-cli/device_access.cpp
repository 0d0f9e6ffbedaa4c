#include "device_access.h"

#include <cstdio>
#include <optional>
#include <string>
#include <utility>

#include "cli_failure.h"

namespace nuvrel::cli {
namespace {

// The reason of the latest refused open in this run; empty when none was refused.
std::string& OpenRefusalReason() {
    static std::string reason;
    return reason;
}

void VELK_CALL PrintLibraryMessage(void* /*context*/, const char* caption, const char* text,
                                   int icon) {
    std::string line = text != nullptr ? text : "";
    for (char& c : line) {
        if (c == '\n' || c == '\r') {
            c = ' ';
        }
    }
    // Printed once, as the command's own error, where it would have said "Device Not Detected!".
    if (icon == VELK_ICON_REFUSAL) {
        OpenRefusalReason() = line;
        return;
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

CliFailure DeviceUnavailable() {
    const std::string& reason = OpenRefusalReason();
    return CliFailure(kExitNoDevice, reason.empty() ? std::string(kDeviceNotDetectedText) : reason);
}

DeviceLease HoldDeviceForOperation() {
    std::optional<DeviceLease> lease = DeviceGate::tryAcquire();
    if (!lease) {
        throw CliFailure(kExitNoDevice, kDeviceBusyText);
    }
    return std::move(*lease);
}

OpenDevice::OpenDevice() {
    if (!session_.opened()) {
        throw DeviceUnavailable();
    }
}

}  // namespace nuvrel::cli
