// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// What the ROM commands share: the image and patches a write or a verify takes, the device's
// capacity, and what is said about a dump or an image once it is done.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "genesis/dat_file.h"
#include "genesis/rom_digest.h"
#include "genesis/rom_image_format.h"
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

// The image's size, refused as not a regular file, unreadable or empty.
struct CheckedImage {
    std::uint32_t size = 0;
    std::string domesticName;
};
CheckedImage CheckImageOrFail(const std::string& path);

// Reads the image whole and tells its layout; for an SMD or byte-swapped one the size and name
// become those of the plain image.
RomFormatDetection DetectImageFormatOrFail(const std::string& path, CheckedImage& image);

// Patches from the file first, then those typed on the command line, all applied; on an address
// given twice the later one wins.
PatchList CollectPatches(const ImageOptions& options, std::uint32_t imageSize);

// The ROM capacity, after failing for a device that does not answer or is not there.
std::uint32_t DeviceCapacityOrFail();

// Images, save files and patch files must be regular files; says so before anything is read.
void RequireRegularFile(const std::string& path);

// The DAT named by --dat, loaded before the device is touched; nullopt without --dat.
std::optional<DatFile> LoadDatOrFail(const std::string& path);

// An image checked, its patches collected, its DAT loaded and its digest taken, and the device
// asked whether it fits: what a write and a verify need before they start.
struct PreparedImage {
    CheckedImage image;
    PatchList patches;
    std::optional<DatFile> dat;
    RomDigest digest;  // of the image as it is on disk: what a dump database knows it by
    // A recognised SMD or byte-swapped file: image.size is the plain image's, converted in memory.
    RomFormatDetection format;
    // Applies the patches to the image in memory; empty without patches.
    std::function<void(std::uint8_t*, std::uint32_t)> applyPatches() const;
};

// Everything above, failing before the device is touched for a bad input (for a write also an
// image shorter than one block), and then for a device
// that is busy, missing, not answering or too small. Prints the "Image:" line (and how many
// patches apply) on the text output.
enum class ImageUse { Write, Verify };
PreparedImage PrepareImageForDevice(const ImageOptions& options, ImageUse use);

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
