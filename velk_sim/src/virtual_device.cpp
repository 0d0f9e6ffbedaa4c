// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "virtual_device.h"

#include <algorithm>
#include <cstdio>
#include <stdexcept>
#include <utility>

#include "device_identity.h"

namespace velksim {

namespace {

constexpr std::uint32_t kSecondChipByte = 0x200000;
constexpr std::uint32_t kChipCommandWord = 0x555;
constexpr std::uint32_t kCommandAddressMask = 0x7FF;
constexpr std::uint8_t kEraseSectorCode = 0x00;
constexpr std::uint8_t kEraseChipCode = 0x10;
constexpr std::size_t kUnitBytes = 64;
constexpr std::size_t kErrorLimit = 1000;

// What an erasing chip shows on a read: DQ7 low (the complement of erased data), DQ3 high (the
// erase has begun), DQ6 and DQ2 toggling from one word read to the next.
std::uint8_t eraseStatusByte(bool toggle) {
    return static_cast<std::uint8_t>(0x08u | (toggle ? 0x44u : 0x00u));
}

std::string hex6(std::uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof(text), "0x%06X", value);
    return text;
}

}  // namespace

VirtualDevice::VirtualDevice(const DeviceConfig& config, const std::filesystem::path& stateDir)
    : config_(config), stateDir_(stateDir), faults_(config.faults) {
    const std::size_t romBytes = romCapacityBytes(config.model);
    const std::size_t saveBytes = hasSaveRam(config.model) ? kSaveRamBytes : 0;
    state_.eraseCounter = config.eraseCounterStart;
    state_.compatibilitySet = static_cast<std::uint8_t>(config.compatibilitySet & 3u);
    if (stateDir.empty()) {
        rom_ = std::make_unique<MemoryImage>(romBytes, 0xFF);
        save_ = std::make_unique<MemoryImage>(saveBytes, 0xFF);
    } else {
        std::error_code ec;
        std::filesystem::create_directories(stateDir, ec);
        if (ec) {
            throw std::runtime_error("cannot create state folder " + stateDir.string() + ": " +
                                     ec.message());
        }
        rom_ = std::make_unique<MemoryImage>(stateDir / "rom.bin", romBytes, 0xFF);
        if (saveBytes > 0) {
            save_ = std::make_unique<MemoryImage>(stateDir / "sram.bin", saveBytes, 0xFF);
        } else {
            save_ = std::make_unique<MemoryImage>(0, 0xFF);
        }
        if (!loadDeviceState(stateDir / "state.txt", state_)) {
            saveDeviceState(stateDir / "state.txt", state_);
        }
    }
    if (saveBytes > 0) {
        saveWindow_.emplace(save_->bytes());
    }

    const bool second = config.chips[1] != kNoChip;
    chips_.resize(2);
    if (config.chips[0] != kNoChip) {
        const std::size_t limit = second ? kSecondChipByte : romBytes;
        const std::size_t mapped = std::min<std::size_t>(chipBytes(config.chips[0]), limit);
        chips_[0].emplace(config.chips[0], 0, rom_->bytes().subspan(0, mapped));
    }
    if (second) {
        const std::size_t room = romBytes > kSecondChipByte ? romBytes - kSecondChipByte : 0;
        const std::size_t mapped = std::min<std::size_t>(chipBytes(config.chips[1]), room);
        chips_[1].emplace(
            config.chips[1], kSecondChipByte,
            room > 0 ? rom_->bytes().subspan(kSecondChipByte, mapped) : std::span<std::uint8_t>{});
    }
}

void VirtualDevice::error(const std::string& text) {
    if (errors_.size() < kErrorLimit) {
        errors_.push_back(text);
    }
}

void VirtualDevice::persist() {
    if (stateDir_.empty()) {
        return;
    }
    try {
        saveDeviceState(stateDir_ / "state.txt", state_);
    } catch (const std::exception& e) {
        error(std::string("state not saved: ") + e.what());
    }
}

void VirtualDevice::reply(int connection, std::uint8_t command, std::vector<std::uint8_t> bytes) {
    reply_ = std::move(bytes);
    replyTouched_ = false;
    replyConnection_ = connection;
    replyCommand_ = command;
}

void VirtualDevice::receiveOut(int connection, std::span<const std::uint8_t> transfer) {
    if (pending_.phase != Phase::None) {
        // The firmware takes whatever comes next as the data it waits for, even a block.
        if (parseCommandBlock(transfer) && pending_.phase != Phase::FileName) {
            error("command block received while a data phase of " +
                  std::to_string(pending_.remaining) + " bytes was still expected");
        }
        handleData(transfer);
        return;
    }
    const auto block = parseCommandBlock(transfer);
    if (!block) {
        error("transfer of " + std::to_string(transfer.size()) +
              " bytes is neither a command block nor an expected data phase");
        return;
    }
    handleBlock(connection, *block);
}

std::optional<std::vector<std::uint8_t>> VirtualDevice::takeReply(int connection,
                                                                  std::size_t maxBytes) {
    (void)connection;
    if (!reply_) {
        error("reply requested but none is pending");
        return std::nullopt;
    }
    std::vector<std::uint8_t> out;
    const std::size_t n = std::min(maxBytes, reply_->size());
    out.assign(reply_->begin(), reply_->begin() + static_cast<std::ptrdiff_t>(n));
    reply_->erase(reply_->begin(), reply_->begin() + static_cast<std::ptrdiff_t>(n));
    replyTouched_ = true;
    if (reply_->empty()) {
        reply_.reset();
    }
    return out;
}

void VirtualDevice::connectionClosed(int connection) {
    if (pending_.connection == connection) {
        pending_ = PendingData{};
    }
    if (replyConnection_ == connection) {
        reply_.reset();
    }
}

void VirtualDevice::handleBlock(int connection, const CommandBlock& block) {
    const CommandRecord record = describeCommand(block);
    if (log_.size() < logLimit_) {
        log_.push_back(record);
    }
    if (onCommand) {
        onCommand(record);
    }
    if (block.at(15) != 0x67) {
        error(record.name + ": byte 15 is not 0x67");
    }
    if (reply_ && !replyTouched_ && !reply_->empty()) {
        error("reply of " + std::to_string(reply_->size()) + " bytes was never collected");
    }
    reply_.reset();

    switch (block.code()) {
        case code::kInfo:
            information(connection, block);
            break;
        case code::kCompatibility:
            compatibility(connection, block);
            break;
        case code::kReadName: {
            const unsigned slot = block.at(17);
            if (slot > 2) {
                error("ReadFileName: slot " + std::to_string(slot) + " does not exist");
                reply(connection, block.code(), std::vector<std::uint8_t>(64, 0));
                break;
            }
            const auto& name = state_.names[slot];
            reply(connection, block.code(), std::vector<std::uint8_t>(name.begin(), name.end()));
            break;
        }
        case code::kWriteName: {
            const unsigned slot = block.at(17);
            if (slot > 2) {
                error("WriteFileName: slot " + std::to_string(slot) + " does not exist");
            }
            pending_ = {Phase::FileName, 0, 64, slot, connection};
            break;
        }
        case code::kChipQuery:
            reply(connection, block.code(),
                  chipQueryReply(config_, block.at(17) == 0x10 ? 1 : 0, block.at(18)));
            break;
        case code::kErase:
            erase(connection, block);
            break;
        case code::kEraseStatus:
            eraseStatus(connection, block);
            break;
        case code::kRead:
            read(connection, block);
            break;
        case code::kWrite:
        case code::kWriteRam: {
            const std::size_t bytes = std::size_t{block.count()} * kUnitBytes;
            if (bytes > 0) {
                pending_ = {block.code() == code::kWrite ? Phase::Program : Phase::RamWrite,
                            block.wordAddress() * 2, bytes, 0, connection};
            }
            break;
        }
        case code::kBoot:
        case code::kBootStart: {
            const Version& version = config_.dataBusBoot;
            BootLoader::Outcome outcome = boot_.handleBlock(block, version);
            if (!outcome.understood) {
                error(record.name + ": unknown boot command");
            }
            if (outcome.expectsPage) {
                pending_ = {Phase::BootPage, 0, 64, 0, connection};
            }
            if (outcome.reply) {
                reply(connection, block.code(), std::move(*outcome.reply));
            }
            break;
        }
        default: {
            char text[64];
            std::snprintf(text, sizeof(text), "unknown command code 0x%02X", block.code());
            error(text);
            break;
        }
    }
}

void VirtualDevice::handleData(std::span<const std::uint8_t> data) {
    switch (pending_.phase) {
        case Phase::FileName: {
            // The name phase has no fixed length: the whole transfer is the name.
            if (pending_.slot <= 2) {
                auto& name = state_.names[pending_.slot];
                name.fill(0);
                if (data.size() > name.size()) {
                    error("WriteFileName: " + std::to_string(data.size()) +
                          " bytes do not fit the 64-byte slot");
                }
                std::copy_n(data.begin(), std::min(data.size(), name.size()), name.begin());
                if (std::find(name.begin(), name.end(), 0) == name.end()) {
                    error("WriteFileName: the name has no terminating zero");
                }
                persist();
            }
            pending_ = PendingData{};
            break;
        }
        case Phase::BootPage: {
            if (data.size() != 64) {
                error("BootNextPage: page of " + std::to_string(data.size()) + " bytes");
            }
            const int connection = pending_.connection;
            pending_ = PendingData{};
            reply(connection, code::kBoot, boot_.receivePage(data));
            break;
        }
        case Phase::Program:
        case Phase::RamWrite: {
            const std::size_t take = std::min(data.size(), pending_.remaining);
            if (data.size() > pending_.remaining) {
                error("data phase carries " + std::to_string(data.size() - pending_.remaining) +
                      " bytes more than the command announced");
            }
            if (pending_.phase == Phase::Program) {
                programData(data.subspan(0, take));
            } else {
                ramData(data.subspan(0, take));
            }
            pending_.byteAddress += static_cast<std::uint32_t>(take);
            pending_.remaining -= take;
            if (pending_.remaining == 0) {
                if (pending_.phase == Phase::Program) {
                    ++programmedBlocks_;
                }
                pending_ = PendingData{};
            }
            break;
        }
        case Phase::None:
            break;
    }
}

void VirtualDevice::information(int connection, const CommandBlock& block) {
    const std::uint8_t selector = block.at(17);
    if (selector == kSelectorDataBus || selector == kSelectorAddressBus) {
        reply(connection, block.code(), informationReply(config_, selector));
        return;
    }
    if (selector != kEraseCounterSelector) {
        reply(connection, block.code(), std::vector<std::uint8_t>(8, 0));
        return;
    }
    const std::uint8_t mode = block.at(18);
    if (mode == 1) {
        state_.eraseCounter = block.little32At19();
        persist();
    } else if (mode != 0) {
        error("ReadErasingCount: unknown mode " + std::to_string(mode));
    }
    const std::uint32_t value = state_.eraseCounter;
    reply(connection, block.code(),
          {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
           static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)});
}

void VirtualDevice::compatibility(int connection, const CommandBlock& block) {
    const std::uint8_t value = block.at(17);
    std::uint8_t answer = 0;
    if (value == 0x80) {
        answer = state_.compatibilitySet;
    } else if ((value & 0xFC) == 0x40) {
        state_.compatibilitySet = static_cast<std::uint8_t>(value & 3u);
        persist();
        answer = state_.compatibilitySet;
    } else if ((value & 0x20) != 0) {
        // Bit 5 selects what the upper half of the bus shows: 0x23 the save RAM, otherwise ROM.
        if (switchesWindow(config_.model)) {
            window_ = value == 0x23 ? Window::SaveRam : Window::Rom;
        }
        answer = value;
    }
    reply(connection, block.code(), {block.code(), answer});
}

const FlashChip* VirtualDevice::chipFor(std::uint32_t byteAddress) const {
    if (chips_[1] && byteAddress >= kSecondChipByte) {
        return &*chips_[1];
    }
    if (chips_[0]) {
        const std::uint32_t extent = chips_[1] ? kSecondChipByte : chipBytes(chips_[0]->id());
        if (byteAddress < extent) {
            return &*chips_[0];
        }
    }
    return nullptr;
}

FlashChip* VirtualDevice::chipFor(std::uint32_t byteAddress) {
    return const_cast<FlashChip*>(std::as_const(*this).chipFor(byteAddress));
}

const FlashChip* VirtualDevice::chipBacking(std::uint32_t byteAddress) const {
    for (const auto& chip : chips_) {
        if (chip && chip->backs(byteAddress)) {
            return &*chip;
        }
    }
    return nullptr;
}

bool VirtualDevice::saveWindowActive() const {
    return saveWindow_ && (!switchesWindow(config_.model) || window_ == Window::SaveRam);
}

std::uint8_t VirtualDevice::busByte(std::uint32_t byteAddress) const {
    if (saveWindowActive() && saveWindow_->contains(byteAddress)) {
        return saveWindow_->read(byteAddress);
    }
    if (chipBacking(byteAddress) != nullptr) {
        return rom_->bytes()[byteAddress];
    }
    return 0xFF;  // nothing drives the bus here
}

void VirtualDevice::erase(int connection, const CommandBlock& block) {
    const std::uint32_t word = block.wordAddress();
    const std::uint32_t byteAddress = word * 2;
    const std::uint8_t eraseCode = block.count();
    FlashChip* chip = chipFor(byteAddress);
    std::uint8_t status = 0;
    if (chip == nullptr) {
        error("EraseSector at " + hex6(word) + ": no flash chip there");
        status = 1;
    } else if (chip->busy()) {
        error("EraseSector at " + hex6(word) + ": the chip is still erasing");
        status = 2;
    } else if (eraseCode == kEraseChipCode) {
        // Like the flash itself, only the low address bits of the command cycles count: on a
        // single 32-Mbit chip the second chip's command address 0x100555 erases chip 0 again.
        if (((word - chip->baseByte() / 2) & kCommandAddressMask) != kChipCommandWord) {
            error("chip erase at " + hex6(word) + " instead of the chip's command address " +
                  hex6(chip->baseByte() / 2 + kChipCommandWord) + ": ignored");
            status = 1;
        } else {
            chip->startChipErase(config_.erasePolls, faults_.eraseNeverFinishes);
        }
    } else if (eraseCode == kEraseSectorCode) {
        if (!chip->isSectorStart(byteAddress)) {
            error("sector erase at " + hex6(word) +
                  ", not the start of a sector: the whole sector around it is erased");
        }
        chip->startSectorErase(byteAddress, config_.erasePolls, faults_.eraseNeverFinishes);
    } else {
        error("EraseSector: unknown erase code " + std::to_string(eraseCode));
        status = 1;
    }
    const bool done = status == 0 && !chip->busy();
    reply(connection, block.code(),
          {block.code(), status, static_cast<std::uint8_t>(done ? 1 : 0)});
}

void VirtualDevice::eraseStatus(int connection, const CommandBlock& block) {
    FlashChip* chip = chipFor(block.wordAddress() * 2);
    const bool done = chip == nullptr || chip->poll();
    reply(connection, block.code(),
          {block.code(), 0, 0, 0, static_cast<std::uint8_t>(done ? 1 : 0)});
}

void VirtualDevice::read(int connection, const CommandBlock& block) {
    const std::uint32_t start = block.wordAddress() * 2;
    const std::size_t length = std::size_t{block.count()} * kUnitBytes;
    std::vector<std::uint8_t> data(length);
    bool busyNoted = false;
    for (std::size_t i = 0; i < length; ++i) {
        const auto address = static_cast<std::uint32_t>(start + i);
        const FlashChip* chip = chipBacking(address);
        if (chip != nullptr && chip->busy() &&
            !(saveWindowActive() && saveWindow_->contains(address))) {
            // A flash chip in its erase algorithm drives status bits, not its cells: a host that
            // reads back before the erase has ended must not see the old data as if it were kept.
            if ((address & 1u) == 0) {
                statusToggle_ = !statusToggle_;
            }
            data[i] = eraseStatusByte(statusToggle_);
            if (!busyNoted) {
                error("ReadSector at " + hex6(block.wordAddress()) + " while the chip is erasing");
                busyNoted = true;
            }
            continue;
        }
        data[i] = busByte(address);
    }
    reply(connection, block.code(), std::move(data));
}

void VirtualDevice::programData(std::span<const std::uint8_t> data) {
    const std::uint32_t start = pending_.byteAddress;
    bool outside = false;
    bool overwrite = false;
    std::size_t i = 0;
    while (i < data.size()) {
        const auto address = static_cast<std::uint32_t>(start + i);
        FlashChip* chip = chipFor(address);
        const bool hidden = saveWindowActive() && saveWindow_->contains(address);
        if (chip == nullptr || !chip->backs(address) || hidden) {
            outside = true;
            ++i;
            continue;
        }
        // Program the run that this chip backs in one go.
        std::size_t run = 1;
        while (i + run < data.size() && chip->backs(static_cast<std::uint32_t>(address + run)) &&
               !(saveWindowActive() &&
                 saveWindow_->contains(static_cast<std::uint32_t>(address + run)))) {
            ++run;
        }
        const FlashChip::ProgramResult result =
            chip->program(address, data.subspan(i, run), faults_.weakCellByteAddress);
        if (result.refusedBusy) {
            error("WriteSector at " + hex6(address / 2) + " while the chip is erasing: ignored");
        }
        overwrite = overwrite || result.clearedBitsAsked;
        i += run;
    }
    if (outside) {
        error("WriteSector at " + hex6(start / 2) + ": part of the data lies outside the flash");
    }
    if (overwrite) {
        error("WriteSector at " + hex6(start / 2) + ": programmed over cells that were not erased");
    }
}

void VirtualDevice::ramData(std::span<const std::uint8_t> data) {
    bool outside = false;
    for (std::size_t i = 0; i < data.size(); ++i) {
        const auto address = static_cast<std::uint32_t>(pending_.byteAddress + i);
        if (saveWindowActive() && saveWindow_->contains(address)) {
            const bool weak = faults_.weakSaveByte &&
                              address == kSaveRamWindowByte + 2 * *faults_.weakSaveByte + 1;
            if (!weak) {
                saveWindow_->write(address, data[i]);
            }
        } else {
            outside = true;
        }
    }
    if (outside) {
        error("WriteRamSector at " + hex6(pending_.byteAddress / 2) +
              ": part of the data lies outside the save RAM window" +
              (saveWindow_ && !saveWindowActive() ? " (the window shows ROM)" : ""));
    }
}

void VirtualDevice::powerLost() {
    for (auto& chip : chips_) {
        if (chip) {
            chip->abortErase();
        }
    }
    window_ = Window::Rom;
    pending_ = PendingData{};
    reply_.reset();
    boot_ = BootLoader{};
}

void VirtualDevice::finishPendingErases() {
    for (auto& chip : chips_) {
        if (chip) {
            chip->finishErase();
        }
    }
}

void VirtualDevice::setRomBytes(std::uint32_t byteAddress, std::span<const std::uint8_t> bytes) {
    auto rom = rom_->bytes();
    if (byteAddress >= rom.size()) {
        return;
    }
    const std::size_t n = std::min(bytes.size(), rom.size() - byteAddress);
    std::copy_n(bytes.begin(), n, rom.begin() + byteAddress);
}

std::vector<std::uint8_t> VirtualDevice::saveRam() const {
    const auto bytes = save_->bytes();
    return {bytes.begin(), bytes.end()};
}

void VirtualDevice::setSaveRam(std::span<const std::uint8_t> bytes) {
    auto save = save_->bytes();
    std::copy_n(bytes.begin(), std::min(bytes.size(), save.size()), save.begin());
}

const std::array<std::uint8_t, 64>& VirtualDevice::fileName(unsigned slot) const {
    return state_.names[std::min(slot, 2u)];
}

unsigned VirtualDevice::sectorEraseCount(std::uint32_t byteAddress) const {
    const FlashChip* chip = chipFor(byteAddress);
    return chip ? chip->sectorEraseCount(byteAddress) : 0;
}

unsigned VirtualDevice::chipEraseCount(unsigned chip) const {
    return chip < 2 && chips_[chip] ? chips_[chip]->chipEraseCount() : 0;
}

unsigned VirtualDevice::timesProgrammed(std::uint32_t byteAddress) const {
    const FlashChip* chip = chipBacking(byteAddress);
    return chip ? chip->timesProgrammed(byteAddress) : 0;
}

}  // namespace velksim
