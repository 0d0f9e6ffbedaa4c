// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Logiqx XML DAT files, the format dump databases publish: games, each with the ROM files it is
// made of and their size, CRC32 and SHA-1. A dump is known when one of those files matches it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "genesis/rom_digest.h"

namespace nuvrel {

struct DatRom {
    std::string game;  // <game name="...">
    std::string name;  // <rom name="...">
    std::optional<std::uint64_t> size;
    std::optional<std::uint32_t> crc32;
    std::string sha1;  // lower-case hex; empty when the DAT gives none
};

class DatFile {
  public:
    // nullopt, with the reason in *error, when the file cannot be read or is not a DAT.
    static std::optional<DatFile> Load(const std::string& path, std::string* error);

    // The entry whose SHA-1 matches, or, where the DAT gives no SHA-1, whose CRC32 and size do.
    const DatRom* find(const RomDigest& digest) const;

    std::size_t size() const { return roms_.size(); }

  private:
    std::vector<DatRom> roms_;
};

}  // namespace nuvrel
