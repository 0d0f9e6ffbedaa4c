// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The boot-loader side of the device: answers the "@" query with 0x42, remembers the selected
// page, and echoes the checksum (exclusive-or of all bytes) of each 64-byte page it receives.
// Pages are collected in memory; the simulated firmware itself never changes.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <vector>

#include "command_block.h"

namespace velksim {

class BootLoader {
  public:
    struct Outcome {
        std::optional<std::vector<std::uint8_t>> reply;  // bytes to send back, if any
        bool expectsPage = false;                        // a 64-byte data phase follows
        bool understood = true;
    };
    Outcome handleBlock(const CommandBlock& block, const Version& bootVersion);
    // The data phase after BootNextPage; returns the checksum reply.
    std::vector<std::uint8_t> receivePage(std::span<const std::uint8_t> page);

    std::size_t pagesReceived() const { return pages_.size(); }
    bool inBootMode() const { return bootMode_; }

  private:
    std::uint32_t pageOffset_ = 0;
    std::map<std::uint32_t, std::vector<std::uint8_t>> pages_;
    bool bootMode_ = false;
};

std::uint8_t pageChecksum(std::span<const std::uint8_t> bytes);

}  // namespace velksim
