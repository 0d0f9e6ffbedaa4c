// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "flash_geometry.h"

#include "velk_sim/sim_harness.h"

namespace velksim {

namespace {

constexpr std::uint32_t kKiB = 1024;
constexpr std::uint32_t kMiB = 1024 * kKiB;

void addUniform(std::vector<SectorSpan>& layout, std::uint32_t from, std::uint32_t to,
                std::uint32_t size) {
    for (std::uint32_t offset = from; offset < to; offset += size) {
        layout.push_back({offset, size});
    }
}

// 16 Mbit: 16, 8, 8 and 32 KiB boot sectors at the bottom, then 64 KiB sectors. Both device
// codes of each manufacturer share this layout.
std::vector<SectorSpan> layout16Mbit() {
    std::vector<SectorSpan> layout{
        {0, 16 * kKiB}, {0x4000, 8 * kKiB}, {0x6000, 8 * kKiB}, {0x8000, 32 * kKiB}};
    addUniform(layout, 0x10000, 2 * kMiB, 64 * kKiB);
    return layout;
}

std::vector<SectorSpan> layout32MbitBottom() {
    std::vector<SectorSpan> layout;
    addUniform(layout, 0, 0x10000, 8 * kKiB);
    addUniform(layout, 0x10000, 4 * kMiB, 64 * kKiB);
    return layout;
}

std::vector<SectorSpan> layout32MbitTop() {
    std::vector<SectorSpan> layout;
    addUniform(layout, 0, 0x3F0000, 64 * kKiB);
    addUniform(layout, 0x3F0000, 4 * kMiB, 8 * kKiB);
    return layout;
}

}  // namespace

std::vector<SectorSpan> sectorLayout(std::uint32_t chipId) {
    switch (chipId) {
        case kChip32MbitBottomA:
        case kChip32MbitBottomB:
            return layout32MbitBottom();
        case kChip32MbitTop:
            return layout32MbitTop();
        case kChip16MbitA:
        case kChip16MbitB:
        case kChipMx29lv160B:
        case kChipMx29lv160T:
            return layout16Mbit();
        default: {
            std::vector<SectorSpan> layout;
            addUniform(layout, 0, 2 * kMiB, 64 * kKiB);
            return layout;
        }
    }
}

std::uint32_t chipBytes(std::uint32_t chipId) {
    const std::vector<SectorSpan> layout = sectorLayout(chipId);
    return layout.back().offset + layout.back().size;
}

bool isKnownChip(std::uint32_t chipId) {
    switch (chipId) {
        case kChip32MbitBottomA:
        case kChip32MbitBottomB:
        case kChip32MbitTop:
        case kChip16MbitA:
        case kChip16MbitB:
        case kChipMx29lv160B:
        case kChipMx29lv160T:
            return true;
        default:
            return false;
    }
}

}  // namespace velksim
