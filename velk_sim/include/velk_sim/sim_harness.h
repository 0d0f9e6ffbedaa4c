// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// In-process virtual Velk device for tests.
//
// A SimServer runs one simulated device on a Unix socket, exactly where the velk_series library
// looks for virtual devices ($XDG_RUNTIME_DIR/velk-series/<name>.sock, or
// /tmp/velk-series-<uid>/ when XDG_RUNTIME_DIR is unset), so OpenVelkDevice() in the same
// process (or in a child process) finds it like a plugged-in cartridge device.
//
// Typical test:
//
//     velksim::ScopedRuntimeDir runtime;          // private XDG_RUNTIME_DIR for this process
//     velksim::DeviceConfig config;               // model c, one 32-Mbit bottom-boot chip
//     config.erasePolls = 0;                      // erases finish at once
//     velksim::SimServer sim(config);
//     ASSERT_TRUE(sim.start());
//     ... drive the library or the engine under test ...
//     EXPECT_EQ(sim.romBytes(0x100, 4), expected);
//     EXPECT_EQ(sim.fileName(0), "game.bin");
//
// All accessors are thread-safe: they lock the device while the server thread is between two
// transfers, so a test may inspect the device while another thread drives it.
#pragma once

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <ostream>
#include <span>
#include <string>
#include <vector>

namespace velksim {

// Flash chip identifiers as ReadRomID reports them (manufacturer word high, device word low).
inline constexpr std::uint32_t kChip32MbitBottomA = 0x0100F922u;  // 32 Mbit, 8 KiB boot sectors low
inline constexpr std::uint32_t kChip32MbitBottomB = 0x20005F22u;  // 32 Mbit, 8 KiB boot sectors low
inline constexpr std::uint32_t kChip32MbitTop = 0x2000ED22u;   // 32 Mbit, 8 KiB boot sectors high
inline constexpr std::uint32_t kChip16MbitA = 0x01004922u;     // 16 Mbit
inline constexpr std::uint32_t kChip16MbitB = 0x0100C422u;     // 16 Mbit
inline constexpr std::uint32_t kChipMx29lv160B = 0xC2004922u;  // 16 Mbit
inline constexpr std::uint32_t kChipMx29lv160T = 0xC200C422u;  // 16 Mbit
inline constexpr std::uint32_t kNoChip = 0u;                   // slot empty: query answers 0 0

// Byte address of the save-RAM window and the number of save bytes behind it (one per odd
// address, so the window spans twice as many byte addresses).
inline constexpr std::uint32_t kSaveRamWindowByte = 0x200000u;
inline constexpr std::size_t kSaveRamBytes = 32768u;
// What the even byte addresses of the save-RAM window read as.
inline constexpr std::uint8_t kSaveRamEvenByte = 0xFFu;

enum class Speed {
    Instant,    // transfers take no simulated time
    FullSpeed,  // 64-byte packets, 1 ms frames, at most 19 bulk packets per frame
};

struct Version {
    std::uint8_t major = 0;
    std::uint8_t minor = 0;
    std::uint8_t patch = 0;
    char suffix = ' ';
};

// Faults the device can be told to show, at start (DeviceConfig::faults) or at run time
// (SimServer::setFaults). Transfers are counted per message the host sends (a bulk OUT or a
// bulk IN request), from the moment the faults were set.
struct FaultOptions {
    // After this many transfers the device is unplugged: every connection is dropped and the
    // socket vanishes, so the next transfer fails with "no device". 0 = never.
    std::uint64_t disconnectAfterTransfers = 0;
    // How long an unplugged device stays away before it comes back on the same socket (with the
    // same memory). Unset: it stays away until SimServer::start() or restart().
    std::optional<std::chrono::milliseconds> replugAfter;
    // The transfer with this 1-based number is swallowed: the device never answers it and the
    // host's transfer times out. Later transfers are answered normally. 0 = never.
    std::uint64_t stallTransfer = 0;
    // With stallTransfer: answer the stalled transfer after this delay instead of never (the
    // device is busy meanwhile), so the answer may arrive after the host has given up on it.
    std::optional<std::chrono::milliseconds> stallAnswerAfter;
    // With stallTransfer: the device still ignores the stalled transfer, but tells the host at
    // once that nothing came back, which the host takes as its time-out. The host sees exactly
    // a stalled transfer without waiting for its timeout, so tests can stall every transfer of a
    // run in turn.
    bool stallTimesOutAtOnce = false;
    // Replies are cut to at most this many bytes...
    std::optional<std::size_t> shortReplyLength;
    // ...for this command code only (0 = every command).
    std::uint8_t shortReplyCommand = 0;
    // A ROM byte (byte address) that never programs: it stays erased (0xFF) whatever is written.
    std::optional<std::uint32_t> weakCellByteAddress;
    // A save byte (its number, 0 ... kSaveRamBytes - 1) that keeps its value whatever is written.
    std::optional<std::size_t> weakSaveByte;
    // Erases start but never complete: the first reply and every status poll report "busy".
    bool eraseNeverFinishes = false;
};

struct DeviceConfig {
    // Model letter sent as the data-bus firmware suffix: c and m have 4 MiB of ROM, e and g
    // 2 MiB; c and e have 32 KiB of save RAM. Any other letter: 2 MiB of ROM, no save RAM.
    char model = 'c';
    // Chip identifiers for slot 0 (word addresses from 0) and slot 1 (from word 0x100000).
    // kNoChip leaves a slot empty; an identifier not listed above is an unknown chip with
    // uniform 64 KiB sectors over 2 MiB.
    std::array<std::uint32_t, 2> chips{kChip32MbitBottomA, kNoChip};
    // Data-bus text 2 (internal ROM chips). Empty: derived from the chips ("0100F922" or
    // "01004922+C2004922"). A text beginning "MX29LV160" makes the library take the chip types
    // from its characters 9 and 10 (T or B) without querying; see withMx29lv160Text().
    std::string romChipText;
    // Data-bus text 3 (internal RAM chips). Empty: derived from the model.
    std::string ramChipText;
    // Data-bus controller. Its firmware suffix is always sent as the model letter.
    Version dataBusFirmware{2, 6, 9, 'c'};
    Version dataBusBoot{1, 0, 2, 'b'};
    std::string dataBusCrystal = "12.000MHz";
    // Address-bus controller.
    Version addressBusFirmware{1, 3, 2, 'a'};
    Version addressBusBoot{1, 0, 1, 'b'};
    std::string addressBusCrystal = "24.000MHz";
    std::string sciVersion = "SCI 1.04";
    // Starting values of a fresh device (ignored when a state folder already holds a device).
    std::uint32_t eraseCounterStart = 0xFFFFFFFFu;  // FF FF FF FF: never written
    std::uint8_t compatibilitySet = 0;              // 0 none, 1, 2 or 3
    // Status polls an erase needs before it reports completion. 0: the first reply already
    // reports it finished. The library sleeps 100 ms per poll, so keep this small.
    unsigned erasePolls = 1;
    Speed speed = Speed::Instant;
    FaultOptions faults;

    // A device whose ROM chip text is "MX29LV160" followed by letters ("TB", "B", ...); the
    // chip slots are set to match (T: kChipMx29lv160T, B: kChipMx29lv160B, else empty).
    static DeviceConfig withMx29lv160Text(const std::string& letters, char model = 'c');
};

struct ServerOptions {
    // Socket <runtime folder>/<name>.sock unless socketPath is given.
    std::string name = "velk-sim";
    std::filesystem::path socketPath;
    // Folder holding rom.bin, sram.bin and state.txt; empty keeps everything in memory (kept
    // across stop()/start()/restart() of the same SimServer, lost when it is destroyed).
    std::filesystem::path stateDir;
    // Each decoded command is printed here when set.
    std::ostream* trace = nullptr;
    // commandLog() keeps at most this many records (later ones are not kept).
    std::size_t commandLogLimit = 1'000'000;
};

// One decoded command block as the device understood it.
struct CommandRecord {
    std::uint8_t code = 0;       // byte 16
    std::string name;            // "ReadSector", "WriteSector", "EraseSector", "EraseStatus", ...
    std::uint32_t address = 0;   // word address (bytes 17-19) where the command has one
    std::uint32_t count = 0;     // 64-byte units (R/W/U), query number (ReadRomID), else 0
    std::uint8_t parameter = 0;  // selector, slot, erase code, compatibility value, chip, mode
};

enum class Window {
    Rom,      // byte 0x200000 onwards shows ROM (model c after compatibility 0x21, power-up)
    SaveRam,  // byte 0x200000 onwards shows save RAM (model c after 0x23; model e always)
};

class SimServer {
  public:
    explicit SimServer(DeviceConfig config = {}, ServerOptions options = {});
    ~SimServer();
    SimServer(const SimServer&) = delete;
    SimServer& operator=(const SimServer&) = delete;

    // Plug in: creates the socket and serves it on a background thread (nothing happens when it
    // is plugged in already). False (with a reason in *error) when the socket or the state
    // folder cannot be used.
    bool start(std::string* error = nullptr);
    // Unplug: drops every connection and removes the socket. The device keeps its memory (flash,
    // save RAM, names, counter, compatibility set) but loses power: model c's window is back on
    // ROM and an erase in progress stops, leaving its sector as it was. Unplugs by a fault do
    // the same.
    void stop();
    // stop() then start(); with a state folder the device is reloaded from its files first.
    bool restart(std::string* error = nullptr);
    bool plugged() const;
    std::filesystem::path socketPath() const;

    // --- what the device holds ---
    std::size_t romSize() const;
    std::vector<std::uint8_t> rom() const;
    std::vector<std::uint8_t> romBytes(std::uint32_t byteAddress, std::size_t length) const;
    // Preloads ROM bytes as they are, bypassing erase and programming rules.
    void setRomBytes(std::uint32_t byteAddress, std::span<const std::uint8_t> bytes);
    // The save bytes (kSaveRamBytes, empty on models without save RAM); save byte k sits at
    // window byte address kSaveRamWindowByte + 2k + 1.
    std::vector<std::uint8_t> saveRam() const;
    void setSaveRam(std::span<const std::uint8_t> bytes);
    // Slot 0-2 as text (up to the first zero) or as its 64 raw bytes.
    std::string fileName(unsigned slot) const;
    std::array<std::uint8_t, 64> fileNameBytes(unsigned slot) const;
    std::uint32_t eraseCounter() const;
    std::uint8_t compatibilitySet() const;
    Window window() const;

    // --- what happened ---
    std::vector<CommandRecord> commandLog() const;
    void clearCommandLog();
    // Things a real device would not tolerate: unknown commands, a reply asked for when none is
    // pending, writes to unerased or busy flash regions outside the rules, addresses beyond the
    // memory, chip erase at a wrong address... Empty after a well-behaved session.
    std::vector<std::string> protocolErrors() const;
    // Times the erase sector containing byteAddress was erased (chip erases included).
    unsigned sectorEraseCount(std::uint32_t byteAddress) const;
    unsigned chipEraseCount(unsigned chip) const;
    // WriteSector data phases applied to flash.
    std::uint64_t programmedBlocks() const;
    // Times the 64-byte unit holding byteAddress was programmed since it was last erased.
    unsigned timesProgrammed(std::uint32_t byteAddress) const;
    // Transfers (bulk OUT messages and bulk IN requests) seen since start or setFaults.
    std::uint64_t transferCount() const;
    // Time the transfers would have needed on a full-speed USB bus.
    std::chrono::microseconds wireTime() const;

    // --- faults ---
    void setFaults(const FaultOptions& faults);
    FaultOptions faults() const;
    // Lets erases in progress finish at once (for tests of eraseNeverFinishes that then recover).
    void finishPendingErases();

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// Another program asking for the device: it connects to the device's socket and completes the
// open handshake as the library does, then holds the device (as a program that claimed a USB
// interface does) until release() or destruction. Tests use it to be the program that already
// has the device, or the one that is turned away.
class OtherHost {
  public:
    enum class Answer {
        Welcome,   // the device is this host's now
        InUse,     // another host holds it
        NoAnswer,  // nothing listens there, or it did not answer as a device
    };

    explicit OtherHost(const std::filesystem::path& socketPath);
    ~OtherHost();
    OtherHost(const OtherHost&) = delete;
    OtherHost& operator=(const OtherHost&) = delete;

    Answer answer() const { return answer_; }
    bool holds() const { return fd_ >= 0; }
    // Hangs up, which gives the device back.
    void release();

  private:
    int fd_ = -1;
    Answer answer_ = Answer::NoAnswer;
};

// Gives this process a fresh, private XDG_RUNTIME_DIR for its lifetime (and removes it after),
// so parallel tests and a user's own velk-sim never meet. Create it before the SimServer.
class ScopedRuntimeDir {
  public:
    ScopedRuntimeDir();
    ~ScopedRuntimeDir();
    ScopedRuntimeDir(const ScopedRuntimeDir&) = delete;
    ScopedRuntimeDir& operator=(const ScopedRuntimeDir&) = delete;
    const std::filesystem::path& path() const { return path_; }

  private:
    std::filesystem::path path_;
    std::optional<std::string> previous_;
};

// Where a device of this name listens by default (the folder the library enumerates).
std::filesystem::path defaultSocketPath(const std::string& name);

}  // namespace velksim
