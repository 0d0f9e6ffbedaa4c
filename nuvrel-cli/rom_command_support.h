// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// What the ROM commands share: the image and patches a write or a verify takes, the device's
// capacity, and what is said about a dump or an image once it is done.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "genesis/dat_file.h"
#include "genesis/prepared_rom.h"
#include "genesis/rom_digest.h"
#include "patches/patch_list.h"

namespace CLI {
class App;
}

namespace nuvrel::cli {

// An image to program or compare, with the patches to apply to it in memory.
struct ImageOptions {
    std::string image;
    std::vector<std::string> patches;
    std::string patchFile;
    std::string dat;
    bool json = false;
};

// --patch, --patch-file, --dat, --json and --device on a command that takes IMAGE and the device.
void AddImageOptions(CLI::App& command, ImageOptions& options);

// Patches from the file first, then those typed on the command line, all applied; on an address
// given twice the later one wins.
PatchList CollectPatches(const ImageOptions& options, std::uint32_t imageSize);

// The ROM capacity, after failing for a device that does not answer or is not there.
std::uint32_t DeviceCapacityOrFail();

// Images, save files and patch files must be regular files; says so before anything is read.
void RequireRegularFile(const std::string& path);

// The DAT named by --dat, loaded before the device is touched; nullopt without --dat.
std::optional<DatFile> LoadDatOrFail(const std::string& path);

// An image read, converted and patched into what the device is to hold, its DAT loaded and its
// digest taken, and the device asked whether it fits: what a write and a verify need before they
// start.
struct PreparedImage {
    std::shared_ptr<const PreparedRom> rom;
    PatchList patches;
    std::optional<DatFile> dat;
    // Of what the device holds after a write (or is compared with): converted, patched and
    // filled up to whole blocks.
    RomDigest digest;
};

// Everything above, failing before the device is touched for a bad input, and then for a device
// that is busy, missing, not answering or too small. Prints the "Image:" line (with its format,
// the bytes added to fill its last block and how many patches apply) on the text output.
PreparedImage PrepareImageForDevice(const ImageOptions& options);

// Where the human-readable lines go: stdout, or stderr when stdout carries JSON.
inline std::FILE* TextOutput(bool json) {
    return json ? stderr : stdout;
}

// After a successful run: the CRC32 and SHA-1 of the dump or image and, with a DAT, the game it
// matches; as lines or as one JSON object on stdout.
// sizeReason, when given, says why the dump has its size ("sizeReason" in JSON).
void ReportDigest(const std::string& file, const RomDigest& digest,
                  const std::optional<DatFile>& dat, const std::string& status, bool json,
                  const std::string& sizeReason = "");

}  // namespace nuvrel::cli
