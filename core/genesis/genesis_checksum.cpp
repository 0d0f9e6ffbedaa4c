// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "genesis/genesis_checksum.h"

#include <filesystem>
#include <system_error>
#include <vector>

#include "engine/input_file.h"
#include "engine/replacing_file.h"
#include "genesis/genesis_header.h"
#include "genesis/rom_image_format.h"

namespace nuvrel {
namespace {

std::optional<std::vector<std::uint8_t>> ReadImage(const std::string& path) {
    const InputFile file(path);
    if (!file.opened() || file.size() < kGenesisHeaderOffset + kGenesisHeaderLength) {
        return std::nullopt;
    }
    std::vector<std::uint8_t> image(static_cast<std::size_t>(file.size()));
    if (std::fread(image.data(), 1, image.size(), file.get()) != image.size()) {
        return std::nullopt;
    }
    return image;
}

std::uint16_t StoredChecksum(std::span<const std::uint8_t> image) {
    return static_cast<std::uint16_t>(image[kChecksumOffset] << 8 | image[kChecksumOffset + 1]);
}

}  // namespace

std::uint16_t ComputeGenesisChecksum(std::span<const std::uint8_t> image) {
    std::uint32_t sum = 0;
    for (std::size_t at = kChecksumStart; at < image.size(); at += 2) {
        const std::uint32_t low = at + 1 < image.size() ? image[at + 1] : 0u;
        sum += static_cast<std::uint32_t>(image[at]) << 8 | low;
    }
    return static_cast<std::uint16_t>(sum);
}

std::optional<ImageChecksum> ReadImageChecksum(const std::string& path) {
    // An SMD or byte-swapped file sums as the plain image it stands for, as the cartridge will.
    if (const RomFormatDetection format = DetectRomImageFile(path);
        format.format != RomImageFormat::Plain) {
        const auto file = ReadImage(path);
        if (!file) {
            return std::nullopt;
        }
        const std::vector<std::uint8_t> plain = ToPlainImage(*file, format.format);
        if (plain.size() < kChecksumStart) {
            return std::nullopt;
        }
        return ImageChecksum{StoredChecksum(plain), ComputeGenesisChecksum(plain)};
    }
    // Summed as it is read, so even a wrongly chosen huge file takes no more memory than this.
    const InputFile file(path);
    if (!file.opened() || file.size() < kGenesisHeaderOffset + kGenesisHeaderLength) {
        return std::nullopt;
    }
    std::vector<std::uint8_t> buffer(64 * 1024);
    std::uint32_t sum = 0;
    std::uint16_t stored = 0;
    std::uint64_t offset = 0;
    for (;;) {
        const std::size_t got = std::fread(buffer.data(), 1, buffer.size(), file.get());
        if (offset == 0 && got >= kChecksumStart) {
            stored = StoredChecksum(buffer);
        }
        // The buffer holds an even number of bytes, so words never straddle two reads.
        for (std::size_t at = 0; at < got; at += 2) {
            if (offset + at >= kChecksumStart) {
                const std::uint32_t low = at + 1 < got ? buffer[at + 1] : 0u;
                sum += static_cast<std::uint32_t>(buffer[at]) << 8 | low;
            }
        }
        offset += got;
        if (got < buffer.size()) {
            break;
        }
    }
    if (std::ferror(file.get()) != 0 || offset < kChecksumStart) {
        return std::nullopt;
    }
    return ImageChecksum{stored, static_cast<std::uint16_t>(sum)};
}

ChecksumFix WriteChecksumFixedCopy(const std::string& imagePath, const std::string& outputPath) {
    std::error_code error;
    if (std::filesystem::equivalent(imagePath, outputPath, error)) {
        return ChecksumFix::SameFile;
    }
    auto image = ReadImage(imagePath);
    if (!image) {
        return ChecksumFix::CannotRead;
    }
    const std::uint16_t computed = ComputeGenesisChecksum(*image);
    (*image)[kChecksumOffset] = static_cast<std::uint8_t>(computed >> 8);
    (*image)[kChecksumOffset + 1] = static_cast<std::uint8_t>(computed);
    ReplacingFile output(outputPath);
    if (output.open() != ReplacingFile::OpenResult::Opened ||
        !output.write(image->data(), image->size()) || !output.commit()) {
        return ChecksumFix::CannotWrite;
    }
    return ChecksumFix::Written;
}

}  // namespace nuvrel
