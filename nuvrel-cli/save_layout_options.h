// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The save-file layouts on the command line: their names, the refusal of a file whose layout is
// not known, and what --format means.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "saveram/save_layout.h"

namespace nuvrel::cli {

inline constexpr const char* kDetectLayout = "auto";

inline constexpr const char* kSaveLayoutHelp =
    "window: the device's window image (the default; the save bytes at odd offsets, 0x00 "
    "between); compact: the save bytes alone; odd-ff: the save bytes at odd offsets, 0xFF "
    "between; even-00 / even-ff: the save bytes at even offsets, 0x00 / 0xFF between; doubled: "
    "every save byte twice";

// Every layout name, with "auto" first when asked.
std::vector<std::string> SaveLayoutNames(bool withDetect = false);

// nullopt for "auto".
std::optional<SaveLayout> NamedLayoutOption(const std::string& option);

// Fails (exit 2) unless the detection is Known; an ambiguous or unknown file is told which
// layouts layoutOption ("--format", "--from") can name for it.
void RequireKnownLayout(const SaveLayoutDetection& detection, const char* layoutOption);

}  // namespace nuvrel::cli
