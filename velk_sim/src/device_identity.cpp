// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "device_identity.h"

#include <cstdio>

namespace velksim {

std::size_t romCapacityBytes(char model) {
    return model == 'c' || model == 'm' ? 0x400000u : 0x200000u;
}

bool hasSaveRam(char model) {
    return model == 'c' || model == 'e';
}

bool switchesWindow(char model) {
    return model == 'c';
}

std::string romChipTextFor(const DeviceConfig& config) {
    if (!config.romChipText.empty()) {
        return config.romChipText;
    }
    std::string text;
    for (std::uint32_t chip : config.chips) {
        if (chip == kNoChip) {
            continue;
        }
        char id[10];
        std::snprintf(id, sizeof(id), "%08X", chip);
        text += (text.empty() ? "" : "+") + std::string(id);
    }
    return text.empty() ? "none" : text;
}

std::string ramChipTextFor(const DeviceConfig& config) {
    if (!config.ramChipText.empty()) {
        return config.ramChipText;
    }
    return hasSaveRam(config.model) ? "FM18W08 32KB" : "none";
}

namespace {

void appendVersion(std::vector<std::uint8_t>& reply, const Version& version, char suffix) {
    reply.push_back(version.major);
    reply.push_back(version.minor);
    reply.push_back(version.patch);
    reply.push_back(static_cast<std::uint8_t>(suffix));
}

}  // namespace

std::vector<std::uint8_t> informationReply(const DeviceConfig& config, std::uint8_t selector) {
    constexpr std::size_t kReplyLimit = 64;
    std::vector<std::uint8_t> reply;
    std::vector<std::string> texts;
    if (selector == kSelectorDataBus) {
        appendVersion(reply, config.dataBusFirmware, config.model);
        appendVersion(reply, config.dataBusBoot, config.dataBusBoot.suffix);
        texts = {config.dataBusCrystal, romChipTextFor(config), ramChipTextFor(config)};
    } else {
        appendVersion(reply, config.addressBusFirmware, config.addressBusFirmware.suffix);
        appendVersion(reply, config.addressBusBoot, config.addressBusBoot.suffix);
        texts = {config.addressBusCrystal, config.sciVersion};
    }
    for (std::size_t i = 0; i < texts.size(); ++i) {
        reply.insert(reply.end(), texts[i].begin(), texts[i].end());
        reply.push_back(i + 1 < texts.size() ? 0x01 : 0x00);
    }
    if (reply.size() > kReplyLimit) {
        reply.resize(kReplyLimit);  // what does not fit is cut; the reply still ends with 0
        reply.back() = 0x00;
    }
    return reply;
}

std::vector<std::uint8_t> chipQueryReply(const DeviceConfig& config, unsigned chip,
                                         std::uint8_t query) {
    const std::uint32_t id = config.chips[chip > 0 ? 1 : 0];
    const std::uint16_t word =
        query == 0 ? static_cast<std::uint16_t>(id >> 16) : static_cast<std::uint16_t>(id);
    if (query > 1) {
        return {0, 0};
    }
    return {static_cast<std::uint8_t>(word & 0xFF), static_cast<std::uint8_t>(word >> 8)};
}

}  // namespace velksim
