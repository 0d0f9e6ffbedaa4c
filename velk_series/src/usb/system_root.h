// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: LGPL-2.1-or-later

// Where the library reads the machine's own files (/etc, /sys, /dev). Tests point it at a folder
// that stands in for the root, so no test depends on, or reads, the real machine's state.
#pragma once

#include <string>
#include <string_view>

namespace velk {

// An absolute system path under the current root ("/etc/x" itself outside tests).
std::string systemPath(std::string_view absolutePath);

// An empty root restores the real one.
void setSystemRootForTesting(std::string root);

}  // namespace velk
