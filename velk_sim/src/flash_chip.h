// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// One flash chip: cells that only erasing can set to 1, sector and whole-chip erase that take a
// number of status polls, and the bookkeeping tests assert on.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "flash_geometry.h"

namespace velksim {

class FlashChip {
  public:
    // cells: the part of the ROM image this chip backs (may be shorter than the chip when the
    // device maps less of it); baseByte: the chip's first byte address on the cartridge bus.
    FlashChip(std::uint32_t id, std::uint32_t baseByte, std::span<std::uint8_t> cells);

    std::uint32_t id() const { return id_; }
    std::uint32_t baseByte() const { return base_; }
    std::uint32_t mappedBytes() const { return static_cast<std::uint32_t>(cells_.size()); }
    bool backs(std::uint32_t byteAddress) const;
    bool busy() const { return erase_.has_value(); }

    struct ProgramResult {
        bool refusedBusy = false;       // an erase is running: nothing was programmed
        bool clearedBitsAsked = false;  // the data wanted a 0 bit back to 1 (needs an erase)
    };
    // ANDs data into the cells from byteAddress on (must lie within the mapped cells).
    ProgramResult program(std::uint32_t byteAddress, std::span<const std::uint8_t> data,
                          std::optional<std::uint32_t> weakCell);

    // Starts erasing the sector holding byteAddress; false when the chip is busy. The erase
    // completes after `polls` status polls (0: at once) unless `never` is set.
    bool startSectorErase(std::uint32_t byteAddress, unsigned polls, bool never);
    bool startChipErase(unsigned polls, bool never);
    // One status poll; true once no erase is running.
    bool poll();
    void finishErase();
    // Power lost in the middle of an erase: the algorithm stops and the cells stay as they were.
    void abortErase() { erase_.reset(); }
    // True when byteAddress is the first byte of one of the chip's sectors.
    bool isSectorStart(std::uint32_t byteAddress) const;

    unsigned sectorEraseCount(std::uint32_t byteAddress) const;
    unsigned chipEraseCount() const { return chipErases_; }
    unsigned timesProgrammed(std::uint32_t byteAddress) const;

  private:
    struct PendingErase {
        std::size_t firstSector = 0;
        std::size_t sectorCount = 0;
        bool wholeChip = false;
        unsigned pollsLeft = 0;
        bool never = false;
    };
    std::optional<std::size_t> sectorIndex(std::uint32_t byteAddress) const;
    bool begin(PendingErase erase, unsigned polls);

    std::uint32_t id_;
    std::uint32_t base_;
    std::span<std::uint8_t> cells_;
    std::vector<SectorSpan> sectors_;
    std::vector<unsigned> sectorErases_;
    std::vector<std::uint16_t> unitPrograms_;  // per 64-byte unit, since its last erase
    unsigned chipErases_ = 0;
    std::optional<PendingErase> erase_;
};

}  // namespace velksim
