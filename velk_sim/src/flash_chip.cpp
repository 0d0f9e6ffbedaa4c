// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "flash_chip.h"

#include <algorithm>

namespace velksim {

namespace {
constexpr std::uint32_t kUnitBytes = 64;
}

FlashChip::FlashChip(std::uint32_t id, std::uint32_t baseByte, std::span<std::uint8_t> cells)
    : id_(id),
      base_(baseByte),
      cells_(cells),
      sectors_(sectorLayout(id)),
      sectorErases_(sectors_.size(), 0),
      unitPrograms_((cells.size() + kUnitBytes - 1) / kUnitBytes, 0) {}

bool FlashChip::backs(std::uint32_t byteAddress) const {
    return byteAddress >= base_ && byteAddress - base_ < cells_.size();
}

std::optional<std::size_t> FlashChip::sectorIndex(std::uint32_t byteAddress) const {
    if (byteAddress < base_) {
        return std::nullopt;
    }
    const std::uint32_t offset = byteAddress - base_;
    for (std::size_t i = 0; i < sectors_.size(); ++i) {
        if (offset >= sectors_[i].offset && offset - sectors_[i].offset < sectors_[i].size) {
            return i;
        }
    }
    return std::nullopt;
}

bool FlashChip::isSectorStart(std::uint32_t byteAddress) const {
    const auto index = sectorIndex(byteAddress);
    return index && sectors_[*index].offset == byteAddress - base_;
}

FlashChip::ProgramResult FlashChip::program(std::uint32_t byteAddress,
                                            std::span<const std::uint8_t> data,
                                            std::optional<std::uint32_t> weakCell) {
    ProgramResult result;
    if (busy()) {
        result.refusedBusy = true;
        return result;
    }
    const std::uint32_t offset = byteAddress - base_;
    for (std::size_t i = 0; i < data.size(); ++i) {
        const std::uint32_t cell = offset + static_cast<std::uint32_t>(i);
        if (weakCell && *weakCell == base_ + cell) {
            continue;  // this cell never takes a program pulse
        }
        if ((data[i] & ~cells_[cell] & 0xFF) != 0) {
            result.clearedBitsAsked = true;
        }
        cells_[cell] = static_cast<std::uint8_t>(cells_[cell] & data[i]);
    }
    if (!data.empty()) {
        const std::size_t firstUnit = offset / kUnitBytes;
        const std::size_t lastUnit = (offset + data.size() - 1) / kUnitBytes;
        for (std::size_t unit = firstUnit; unit <= lastUnit; ++unit) {
            if (unitPrograms_[unit] != UINT16_MAX) {
                ++unitPrograms_[unit];
            }
        }
    }
    return result;
}

bool FlashChip::begin(PendingErase erase, unsigned polls) {
    if (busy()) {
        return false;
    }
    erase.pollsLeft = polls;
    erase_ = erase;
    if (polls == 0 && !erase.never) {
        finishErase();
    }
    return true;
}

bool FlashChip::startSectorErase(std::uint32_t byteAddress, unsigned polls, bool never) {
    const auto index = sectorIndex(byteAddress);
    if (!index) {
        return false;
    }
    return begin({*index, 1, false, 0, never}, polls);
}

bool FlashChip::startChipErase(unsigned polls, bool never) {
    return begin({0, sectors_.size(), true, 0, never}, polls);
}

bool FlashChip::poll() {
    if (!erase_) {
        return true;
    }
    if (erase_->never) {
        return false;
    }
    if (erase_->pollsLeft > 0) {
        --erase_->pollsLeft;
    }
    if (erase_->pollsLeft == 0) {
        finishErase();
        return true;
    }
    return false;
}

void FlashChip::finishErase() {
    if (!erase_) {
        return;
    }
    for (std::size_t i = erase_->firstSector; i < erase_->firstSector + erase_->sectorCount; ++i) {
        const SectorSpan& sector = sectors_[i];
        ++sectorErases_[i];
        if (sector.offset >= cells_.size()) {
            continue;  // beyond what the device maps of this chip
        }
        const std::uint32_t end =
            std::min<std::uint32_t>(sector.offset + sector.size, mappedBytes());
        std::fill(cells_.begin() + sector.offset, cells_.begin() + end, std::uint8_t{0xFF});
        std::fill(unitPrograms_.begin() + sector.offset / kUnitBytes,
                  unitPrograms_.begin() + (end + kUnitBytes - 1) / kUnitBytes, std::uint16_t{0});
    }
    if (erase_->wholeChip) {
        ++chipErases_;
    }
    erase_.reset();
}

unsigned FlashChip::sectorEraseCount(std::uint32_t byteAddress) const {
    const auto index = sectorIndex(byteAddress);
    return index ? sectorErases_[*index] : 0;
}

unsigned FlashChip::timesProgrammed(std::uint32_t byteAddress) const {
    if (!backs(byteAddress)) {
        return 0;
    }
    return unitPrograms_[(byteAddress - base_) / kUnitBytes];
}

}  // namespace velksim
