// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Running under umockdev's preload library, with a sanitizer runtime kept first.
#include <link.h>
#include <linux/capability.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "usb_node.h"

#ifndef VELK_UMOCKDEV_PRELOAD
#define VELK_UMOCKDEV_PRELOAD "libumockdev-preload.so.0"
#endif

namespace velkusb {

namespace {

constexpr const char* kReexecMarker = "VELK_USB_NODE_REEXEC";

// The AddressSanitizer or ThreadSanitizer runtime this program was linked with, if any: it must
// stay the first library in LD_PRELOAD, or it refuses to start.
std::string loadedSanitizerRuntime() {
    std::string found;
    dl_iterate_phdr(
        [](dl_phdr_info* info, std::size_t, void* out) {
            const char* name = info->dlpi_name;
            if (name == nullptr || *name == '\0') {
                return 0;
            }
            const char* base = std::strrchr(name, '/');
            base = base != nullptr ? base + 1 : name;
            if (std::strncmp(base, "libasan.so", 10) == 0 ||
                std::strncmp(base, "libtsan.so", 10) == 0) {
                *static_cast<std::string*>(out) = name;
                return 1;
            }
            return 0;
        },
        &found);
    return found;
}

}  // namespace

// umockdev_in_mock_environment() only turns true once a testbed exists (it looks at where /sys
// leads), so the library's presence in the process is what tells.
bool preloadLoaded() {
    bool found = false;
    dl_iterate_phdr(
        [](dl_phdr_info* info, std::size_t, void* out) {
            const char* name = info->dlpi_name;
            if (name != nullptr && std::strstr(name, "libumockdev-preload.so") != nullptr) {
                *static_cast<bool*>(out) = true;
                return 1;
            }
            return 0;
        },
        &found);
    return found;
}

void enterMockEnvironment(char** argv) {
    if (preloadLoaded()) {
        return;
    }
    if (std::getenv(kReexecMarker) != nullptr) {
        std::fprintf(stderr,
                     "velk usb node: umockdev's preload library (%s) did not load; is the "
                     "umockdev package installed? (scripts/setup installs it)\n",
                     VELK_UMOCKDEV_PRELOAD);
        std::exit(127);
    }
    if (::access(VELK_UMOCKDEV_PRELOAD, R_OK) != 0 && VELK_UMOCKDEV_PRELOAD[0] == '/') {
        std::fprintf(stderr,
                     "velk usb node: %s is missing; install umockdev (scripts/setup does)\n",
                     VELK_UMOCKDEV_PRELOAD);
        std::exit(127);
    }
    std::string preload;
    const std::string sanitizer = loadedSanitizerRuntime();
    if (!sanitizer.empty()) {
        preload = sanitizer + ":";
    }
    preload += VELK_UMOCKDEV_PRELOAD;
    if (const char* before = std::getenv("LD_PRELOAD"); before != nullptr && *before != '\0') {
        preload += ":";
        preload += before;
    }
    ::setenv("LD_PRELOAD", preload.c_str(), 1);
    ::setenv(kReexecMarker, "1", 1);
    ::execv("/proc/self/exe", argv);
    std::perror("velk usb node: cannot run itself again under umockdev");
    std::exit(127);
}

std::string sanitizerRuntimePath() {
    return loadedSanitizerRuntime();
}

bool dropRootFileAccess() {
    if (::geteuid() != 0) {
        return true;
    }
    bool ok = true;
    for (int capability : {CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH}) {
        // Out of the bounding set: an exec as root no longer receives it.
        if (::prctl(PR_CAPBSET_DROP, capability, 0, 0, 0) != 0) {
            ok = false;
        }
    }
    ::prctl(PR_CAP_AMBIENT, PR_CAP_AMBIENT_CLEAR_ALL, 0, 0, 0);
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[2]{};
    if (::syscall(SYS_capget, &header, data) != 0) {
        return false;
    }
    for (int capability : {CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH}) {
        const std::uint32_t bit = 1u << (capability % 32);
        data[capability / 32].effective &= ~bit;
        data[capability / 32].permitted &= ~bit;
        data[capability / 32].inheritable &= ~bit;
    }
    if (::syscall(SYS_capset, &header, data) != 0) {
        ok = false;
    }
    return ok;
}

}  // namespace velkusb
