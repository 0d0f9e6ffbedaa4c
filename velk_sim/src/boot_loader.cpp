// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "boot_loader.h"

namespace velksim {

std::uint8_t pageChecksum(std::span<const std::uint8_t> bytes) {
    std::uint8_t sum = 0;
    for (std::uint8_t b : bytes) {
        sum = static_cast<std::uint8_t>(sum ^ b);
    }
    return sum;
}

BootLoader::Outcome BootLoader::handleBlock(const CommandBlock& block, const Version& bootVersion) {
    Outcome outcome;
    if (block.code() == code::kBootStart) {
        bootMode_ = true;  // the host asks the device to restart into its boot loader
        return outcome;
    }
    const std::uint8_t sub = block.at(17);
    const std::uint8_t arg = block.at(18);
    if (sub == 0x52 && arg == 0x42) {
        outcome.reply = std::vector<std::uint8_t>{0x42, bootVersion.major, bootVersion.minor,
                                                  bootVersion.patch};
    } else if (sub == 0x52 && arg == 0x52) {
        bootMode_ = false;
        outcome.reply = std::vector<std::uint8_t>{0x52, 0x00};
    } else if (sub == 0x2A && arg == 0x2A) {
        pageOffset_ = static_cast<std::uint32_t>(block.at(20)) |
                      static_cast<std::uint32_t>(block.at(21)) << 8;
        outcome.reply = std::vector<std::uint8_t>{0x2A, block.at(20), block.at(21), 0x00};
    } else if (sub == 0x25 && arg == 0x25) {
        outcome.expectsPage = true;
    } else if (sub == 0xA2 && arg == 0xA2) {
        outcome.reply = std::vector<std::uint8_t>{0xA2, block.at(21)};
    } else {
        outcome.understood = false;
    }
    return outcome;
}

std::vector<std::uint8_t> BootLoader::receivePage(std::span<const std::uint8_t> page) {
    pages_[pageOffset_].assign(page.begin(), page.end());
    pageOffset_ += 64;
    return {pageChecksum(page), 0x00};
}

}  // namespace velksim
