// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#include "usb/system_root.h"

namespace velk {

namespace {

std::string& root() {
    static std::string folder;
    return folder;
}

}  // namespace

std::string systemPath(std::string_view absolutePath) {
    return root() + std::string(absolutePath);
}

void setSystemRootForTesting(std::string folder) {
    while (!folder.empty() && folder.back() == '/') {
        folder.pop_back();
    }
    root() = std::move(folder);
}

}  // namespace velk
