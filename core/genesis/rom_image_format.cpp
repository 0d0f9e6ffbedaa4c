// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "genesis/rom_image_format.h"

#include <algorithm>
#include <cstring>

#include "engine/whole_file.h"

namespace nuvrel {
namespace {

constexpr std::size_t kSmdHeaderBytes = 512;
constexpr std::size_t kSmdBlockBytes = 16384;
constexpr std::size_t kSignatureOffset = 0x100;

bool HasSignature(std::span<const std::uint8_t> image) {
    const auto at = [&](std::size_t offset) {
        return image.size() >= offset + 4 && std::memcmp(image.data() + offset, "SEGA", 4) == 0;
    };
    return at(kSignatureOffset) || at(kSignatureOffset + 1);
}

bool SmdShaped(std::size_t size) {
    return size > kSmdHeaderBytes && (size - kSmdHeaderBytes) % kSmdBlockBytes == 0;
}

// Each block holds the odd bytes of its 16 KiB first, then the even ones.
void Deinterleave(const std::uint8_t* block, std::uint8_t* plain) {
    constexpr std::size_t half = kSmdBlockBytes / 2;
    for (std::size_t i = 0; i < half; ++i) {
        plain[2 * i + 1] = block[i];
        plain[2 * i] = block[half + i];
    }
}

}  // namespace

std::vector<std::uint8_t> ToPlainImage(std::span<const std::uint8_t> file, RomImageFormat format) {
    switch (format) {
        case RomImageFormat::Plain:
            break;
        case RomImageFormat::Smd: {
            std::vector<std::uint8_t> plain(file.size() - kSmdHeaderBytes);
            for (std::size_t offset = 0; offset < plain.size(); offset += kSmdBlockBytes) {
                Deinterleave(file.data() + kSmdHeaderBytes + offset, plain.data() + offset);
            }
            return plain;
        }
        case RomImageFormat::ByteSwapped: {
            std::vector<std::uint8_t> plain(file.begin(), file.end());
            for (std::size_t i = 0; i + 1 < plain.size(); i += 2) {
                std::swap(plain[i], plain[i + 1]);
            }
            return plain;
        }
    }
    return {file.begin(), file.end()};
}

RomFormatDetection DetectRomImageFormat(std::span<const std::uint8_t> file) {
    const auto size = static_cast<std::uint32_t>(file.size());
    if (HasSignature(file)) {
        return {RomImageFormat::Plain, size, ""};
    }
    if (SmdShaped(file.size())) {
        std::vector<std::uint8_t> first(kSmdBlockBytes);
        Deinterleave(file.data() + kSmdHeaderBytes, first.data());
        if (HasSignature(first)) {
            return {RomImageFormat::Smd, size - static_cast<std::uint32_t>(kSmdHeaderBytes),
                    "SMD image (interleaved), de-interleaved in memory"};
        }
    }
    if (file.size() % 2 == 0 && file.size() >= kSignatureOffset + 6) {
        const std::vector<std::uint8_t> head =
            ToPlainImage(file.first(kSignatureOffset + 6), RomImageFormat::ByteSwapped);
        if (HasSignature(head)) {
            return {RomImageFormat::ByteSwapped, size, "byte-swapped image, un-swapped in memory"};
        }
    }
    return {RomImageFormat::Plain, size, ""};
}

RomFormatDetection DetectRomImageFile(const std::string& path) {
    const WholeFile file = ReadWholeFile(path, kLargestRomImageFile);
    if (!file.read()) {
        return {RomImageFormat::Plain, static_cast<std::uint32_t>(file.size), ""};
    }
    return DetectRomImageFormat(file.bytes);
}

}  // namespace nuvrel
