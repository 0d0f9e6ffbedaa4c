// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The device's firmware: a state machine fed by the host's bulk OUT transfers (command blocks
// and their data phases) that prepares the bytes the next bulk IN requests collect.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "boot_loader.h"
#include "command_block.h"
#include "device_state_file.h"
#include "flash_chip.h"
#include "memory_image.h"
#include "save_ram_window.h"
#include "velk_sim/sim_harness.h"

namespace velksim {

class VirtualDevice {
  public:
    // With a state folder the memories are mapped from rom.bin and sram.bin and the rest is
    // loaded from state.txt. Throws std::runtime_error when the folder cannot be used.
    VirtualDevice(const DeviceConfig& config, const std::filesystem::path& stateDir);

    // Connections are numbered by the server; a closed connection that left a data phase or a
    // reply half done resets that state, as a USB reset would.
    void receiveOut(int connection, std::span<const std::uint8_t> transfer);
    // Null when no reply is pending (a real device would not answer the request).
    std::optional<std::vector<std::uint8_t>> takeReply(int connection, std::size_t maxBytes);
    void connectionClosed(int connection);
    // Forgets what is left of the pending reply (the device sent a short reply).
    void discardReply() { reply_.reset(); }
    // Whether the device has bytes for the next IN request (a USB device NAKs until it does).
    bool replyPending() const { return reply_.has_value(); }
    // Code of the command whose reply is pending or was last taken.
    std::uint8_t replyCommand() const { return replyCommand_; }

    void setFaults(const FaultOptions& faults) { faults_ = faults; }
    void finishPendingErases();
    // The device lost power (unplugged): what it keeps in flash, save RAM and its settings
    // stays; the window, an erase in progress and half-done exchanges are gone.
    void powerLost();
    std::function<void(const CommandRecord&)> onCommand;

    // Accessors for tests.
    std::size_t romSize() const { return rom_->size(); }
    std::span<const std::uint8_t> rom() const { return rom_->bytes(); }
    void setRomBytes(std::uint32_t byteAddress, std::span<const std::uint8_t> bytes);
    std::vector<std::uint8_t> saveRam() const;
    void setSaveRam(std::span<const std::uint8_t> bytes);
    const std::array<std::uint8_t, 64>& fileName(unsigned slot) const;
    std::uint32_t eraseCounter() const { return state_.eraseCounter; }
    std::uint8_t compatibilitySet() const { return state_.compatibilitySet; }
    Window window() const { return window_; }
    const std::vector<CommandRecord>& commandLog() const { return log_; }
    void clearCommandLog() { log_.clear(); }
    void setCommandLogLimit(std::size_t limit) { logLimit_ = limit; }
    const std::vector<std::string>& protocolErrors() const { return errors_; }
    unsigned sectorEraseCount(std::uint32_t byteAddress) const;
    unsigned chipEraseCount(unsigned chip) const;
    std::uint64_t programmedBlocks() const { return programmedBlocks_; }
    unsigned timesProgrammed(std::uint32_t byteAddress) const;
    const BootLoader& bootLoader() const { return boot_; }

  private:
    enum class Phase { None, Program, RamWrite, FileName, BootPage };
    struct PendingData {
        Phase phase = Phase::None;
        std::uint32_t byteAddress = 0;
        std::size_t remaining = 0;
        unsigned slot = 0;
        int connection = -1;
    };

    void handleBlock(int connection, const CommandBlock& block);
    void handleData(std::span<const std::uint8_t> data);
    void reply(int connection, std::uint8_t command, std::vector<std::uint8_t> bytes);
    void error(const std::string& text);
    void persist();

    void information(int connection, const CommandBlock& block);
    void compatibility(int connection, const CommandBlock& block);
    void erase(int connection, const CommandBlock& block);
    void eraseStatus(int connection, const CommandBlock& block);
    void read(int connection, const CommandBlock& block);
    void programData(std::span<const std::uint8_t> data);
    void ramData(std::span<const std::uint8_t> data);

    // The chip whose address range (mapped or not) holds byteAddress.
    FlashChip* chipFor(std::uint32_t byteAddress);
    const FlashChip* chipFor(std::uint32_t byteAddress) const;
    const FlashChip* chipBacking(std::uint32_t byteAddress) const;
    bool saveWindowActive() const;
    std::uint8_t busByte(std::uint32_t byteAddress) const;

    DeviceConfig config_;
    std::filesystem::path stateDir_;
    std::unique_ptr<MemoryImage> rom_;
    std::unique_ptr<MemoryImage> save_;
    std::optional<SaveRamWindow> saveWindow_;
    std::vector<std::optional<FlashChip>> chips_;  // slot 0 and 1
    DeviceStateValues state_;
    Window window_ = Window::Rom;
    FaultOptions faults_;
    BootLoader boot_;

    PendingData pending_;
    std::optional<std::vector<std::uint8_t>> reply_;
    bool replyTouched_ = false;
    int replyConnection_ = -1;
    std::uint8_t replyCommand_ = 0;

    std::vector<CommandRecord> log_;
    std::size_t logLimit_ = 1'000'000;
    std::vector<std::string> errors_;
    std::uint64_t programmedBlocks_ = 0;
    bool statusToggle_ = false;  // the toggle bits an erasing chip shows, flipped per word read
};

}  // namespace velksim
