// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#include "sectors/sector_templates.h"

#include <array>
#include <cstddef>
#include <cstdint>

namespace velk {

namespace {

constexpr std::uint32_t KiB = 1024;

// "SA00   " / "SBB00  ": the letters and the two-digit number, padded with spaces to seven.
constexpr SectorEntry makeRow(const char* letters, int number, std::uint32_t byteAddress,
                              std::uint32_t size) {
    SectorEntry row{};
    std::size_t at = 0;
    for (; letters[at] != '\0'; ++at) {
        row.name[at] = letters[at];
    }
    row.name[at++] = static_cast<char>('0' + number / 10);
    row.name[at++] = static_cast<char>('0' + number % 10);
    for (; at < 7; ++at) {
        row.name[at] = ' ';
    }
    row.wordAddress = byteAddress / 2;
    row.end = byteAddress + size;
    row.size = size;
    return row;
}

// Rows of equal size from `first` on, numbered from `number`.
template <std::size_t N>
constexpr void addRun(std::array<SectorEntry, N>& rows, std::size_t& at, const char* letters,
                      int number, int count, std::uint32_t first, std::uint32_t size) {
    for (int i = 0; i < count; ++i) {
        rows[at++] =
            makeRow(letters, number + i, first + static_cast<std::uint32_t>(i) * size, size);
    }
}

// Row counts include the ending row, which value-initialisation leaves empty.
constexpr std::array<SectorEntry, 36> buildSixteenMbit() {
    std::array<SectorEntry, 36> rows{};
    std::size_t at = 0;
    rows[at++] = makeRow("SBB", 0, 0x0000, 16 * KiB);
    rows[at++] = makeRow("SBB", 1, 0x4000, 8 * KiB);
    rows[at++] = makeRow("SBB", 2, 0x6000, 8 * KiB);
    rows[at++] = makeRow("SBB", 3, 0x8000, 32 * KiB);
    addRun(rows, at, "SBB", 4, 31, 0x10000, 64 * KiB);
    return rows;
}

constexpr std::array<SectorEntry, 40> buildBottomBootPart1() {
    std::array<SectorEntry, 40> rows{};
    std::size_t at = 0;
    addRun(rows, at, "SA", 0, 8, 0x0000, 8 * KiB);
    addRun(rows, at, "SA", 8, 31, 0x10000, 64 * KiB);
    return rows;
}

constexpr std::array<SectorEntry, 33> buildBottomBootPart2() {
    std::array<SectorEntry, 33> rows{};
    std::size_t at = 0;
    addRun(rows, at, "SA", 39, 32, 0x200000, 64 * KiB);
    return rows;
}

constexpr std::array<SectorEntry, 33> buildTopBootPart1() {
    std::array<SectorEntry, 33> rows{};
    std::size_t at = 0;
    addRun(rows, at, "SA", 0, 32, 0x0000, 64 * KiB);
    return rows;
}

constexpr std::array<SectorEntry, 40> buildTopBootPart2() {
    std::array<SectorEntry, 40> rows{};
    std::size_t at = 0;
    addRun(rows, at, "SA", 32, 31, 0x200000, 64 * KiB);
    addRun(rows, at, "SA", 63, 8, 0x3F0000, 8 * KiB);
    return rows;
}

constexpr auto kSixteenMbit = buildSixteenMbit();
constexpr auto kBottomBootPart1 = buildBottomBootPart1();
constexpr auto kBottomBootPart2 = buildBottomBootPart2();
constexpr auto kTopBootPart1 = buildTopBootPart1();
constexpr auto kTopBootPart2 = buildTopBootPart2();

static_assert(kSixteenMbit[34].end == 0x200000 && kSixteenMbit[35].name[0] == '\0');
static_assert(kBottomBootPart1[38].end == 0x200000 && kBottomBootPart1[39].name[0] == '\0');
static_assert(kBottomBootPart2[31].end == 0x400000 && kBottomBootPart2[32].name[0] == '\0');
static_assert(kTopBootPart1[31].end == 0x200000 && kTopBootPart1[32].name[0] == '\0');
static_assert(kTopBootPart2[38].end == 0x400000 && kTopBootPart2[39].name[0] == '\0');

}  // namespace

const SectorEntry* sixteenMbitTemplate() {
    return kSixteenMbit.data();
}
const SectorEntry* bottomBootPart1Template() {
    return kBottomBootPart1.data();
}
const SectorEntry* bottomBootPart2Template() {
    return kBottomBootPart2.data();
}
const SectorEntry* topBootPart1Template() {
    return kTopBootPart1.data();
}
const SectorEntry* topBootPart2Template() {
    return kTopBootPart2.data();
}

}  // namespace velk
