// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "genesis/dat_file.h"

#include <pugixml.hpp>

#include <algorithm>
#include <cctype>
#include <charconv>

#include "engine/input_file.h"

namespace nuvrel {
namespace {

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

template <typename Number>
std::optional<Number> ParseNumber(const char* text, int base) {
    const std::string_view view(text);
    Number value{};
    const auto [end, error] = std::from_chars(view.data(), view.data() + view.size(), value, base);
    if (view.empty() || error != std::errc() || end != view.data() + view.size()) {
        return std::nullopt;
    }
    return value;
}

}  // namespace

std::optional<DatFile> DatFile::Load(const std::string& path, std::string* error) {
    // pugixml opens files itself; the check keeps it from reading a FIFO or a device.
    if (InputFile(path).status() != InputFile::Status::Opened) {
        *error = "Can't read the DAT file";
        return std::nullopt;
    }
    pugi::xml_document document;
    const pugi::xml_parse_result parsed = document.load_file(path.c_str());
    if (!parsed) {
        *error = std::string("Not a DAT file (") + parsed.description() + ")";
        return std::nullopt;
    }
    const pugi::xml_node root = document.child("datafile");
    if (!root) {
        *error = "Not a DAT file (no <datafile>)";
        return std::nullopt;
    }
    DatFile dat;
    // Some databases list games as <machine>.
    for (const char* kind : {"game", "machine"}) {
        for (const pugi::xml_node game : root.children(kind)) {
            for (const pugi::xml_node rom : game.children("rom")) {
                DatRom entry;
                entry.game = game.attribute("name").as_string();
                entry.name = rom.attribute("name").as_string();
                entry.size = ParseNumber<std::uint64_t>(rom.attribute("size").as_string(), 10);
                entry.crc32 = ParseNumber<std::uint32_t>(rom.attribute("crc").as_string(), 16);
                entry.sha1 = Lower(rom.attribute("sha1").as_string());
                dat.roms_.push_back(std::move(entry));
            }
        }
    }
    return dat;
}

const DatRom* DatFile::find(const RomDigest& digest) const {
    const std::string sha1 = digest.sha1Text();
    for (const DatRom& rom : roms_) {
        const bool matches = rom.sha1.empty() ? rom.crc32 == digest.crc32 && rom.size == digest.size
                                              : rom.sha1 == sha1;
        if (matches) {
            return &rom;
        }
    }
    return nullptr;
}

}  // namespace nuvrel
