// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Comparing the ROM in the device with an image, without writing anything: is this cartridge
// programmed with that image (patches applied as a write would)? Qt-free; the caller owns the
// busy flag.
#pragma once

#include <cstdint>
#include <memory>

#include "engine/cancel_token.h"
#include "engine/operation_outcome.h"
#include "engine/operation_sink.h"
#include "genesis/prepared_rom.h"

namespace nuvrel {

inline constexpr const char* kStatusRomMatches = "ROM matches the image";

struct RomVerifyRequest {
    // The bytes a write of the same file and patches programs, its filled-up last block included.
    std::shared_ptr<const PreparedRom> image;
    const CancelToken* cancel = nullptr;  // checked between blocks
};

// Switches a Brivo to its ROM, reads the device's ROM over the image's length in 1 KiB blocks and
// compares. Status "Verifying", then "ROM matches the image" (Completed) or "Verify error at:
// 0x%.6X" with the first differing byte (VerifyFailed), "Read error at: 0x%.6X", "Device not
// answering: window switch" or "Interrupted at 0x%.6X".
OperationOutcome VerifyRom(const RomVerifyRequest& request, OperationSink& sink);

}  // namespace nuvrel
