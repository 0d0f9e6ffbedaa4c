// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// rom write --changed-only [--watch]: reprogram only the sectors that differ from the image, once
// or every time the image file changes.
#pragma once

#include <CLI/CLI.hpp>

#include <cstdint>

#include "engine/device_dump.h"
#include "rom_command_support.h"

namespace nuvrel::cli {

struct ChangedOnlyOptions {
    bool changedOnly = false;
    bool watch = false;
    unsigned chunk = kDumpUnitsPerRead;
};

// --changed-only, --watch (only with it) and --compare-chunk; `fastErase` is the command's
// --fast-erase, which a partial rewrite cannot use.
void AddChangedOnlyOptions(CLI::App& command, CLI::Option* fastErase, ChangedOnlyOptions& options);

int RunChangedWrite(const ImageOptions& image, bool verify, const ChangedOnlyOptions& options);

}  // namespace nuvrel::cli
