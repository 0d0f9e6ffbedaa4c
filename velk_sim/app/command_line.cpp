// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "command_line.h"

#include <CLI/CLI.hpp>
#include <cstdio>
#include <sstream>

#include "nuvrel_version.h"

namespace velksim {

namespace {

std::uint32_t parseUnsigned(const std::string& text, const std::string& what) {
    try {
        std::size_t used = 0;
        const unsigned long long value = std::stoull(text, &used, 0);
        if (used != text.size() || value > 0xFFFFFFFFull) {
            throw std::out_of_range(text);
        }
        return static_cast<std::uint32_t>(value);
    } catch (const std::exception&) {
        throw CLI::ValidationError(what, "not a number: " + text);
    }
}

std::uint32_t parseChip(const std::string& text) {
    if (text == "none" || text == "0") {
        return kNoChip;
    }
    try {
        std::size_t used = 0;
        const unsigned long value = std::stoul(text, &used, 16);
        if (used != text.size() || value > 0xFFFFFFFFul) {
            throw std::out_of_range(text);
        }
        return static_cast<std::uint32_t>(value);
    } catch (const std::exception&) {
        throw CLI::ValidationError("--chips", "not a hexadecimal chip identifier: " + text);
    }
}

// XX.YY.ZZ in hexadecimal, optionally followed by the suffix character.
Version parseVersion(const std::string& text, const std::string& option, char suffix) {
    unsigned major = 0;
    unsigned minor = 0;
    unsigned patch = 0;
    char given = 0;
    char extra = 0;
    const int fields =
        std::sscanf(text.c_str(), "%2x.%2x.%2x%c%c", &major, &minor, &patch, &given, &extra);
    if (fields < 3 || fields > 4) {
        throw CLI::ValidationError(option, "expected XX.YY.ZZ in hexadecimal: " + text);
    }
    return {static_cast<std::uint8_t>(major), static_cast<std::uint8_t>(minor),
            static_cast<std::uint8_t>(patch), fields == 4 ? given : suffix};
}

}  // namespace

int parseCommandLine(int argc, char** argv, ProgramSettings& settings) {
    CLI::App app{
        "velk-sim: a virtual Velk series cartridge device.\n"
        "It listens on a Unix socket where velk_series (the Nuvrel program, nuvrel-cli) finds\n"
        "it like a plugged-in device, prints the socket path, and removes the socket on\n"
        "Ctrl-C or SIGTERM. Example:  velk-sim --state ~/velk-dev &  then  Nuvrel",
        "velk-sim"};
    app.get_formatter()->column_width(34);
    app.set_version_flag("--version", "velk-sim " NUVREL_VERSION "\n" NUVREL_VERSION_NOTICE);

    DeviceConfig& config = settings.config;
    ServerOptions& server = settings.server;
    std::string model(1, config.model);
    std::vector<std::string> chips;
    std::string firmware;
    std::string bootVersion;
    std::string addressFirmware;
    std::string addressBoot;
    std::string eraseCounter;
    std::string speed = "instant";
    std::string weakCell;
    std::string shortCommand;
    unsigned replugMs = 2000;
    std::size_t shortLength = 0;
    unsigned stallAnswerMs = 0;

    app.add_option("--name", server.name,
                   "Device name: the socket is <runtime folder>/velk-series/NAME.sock")
        ->capture_default_str();
    app.add_option("--socket", server.socketPath, "Listen on this socket path instead");
    app.add_option("--state", server.stateDir,
                   "Keep the device in this folder (rom.bin, sram.bin, state.txt) across runs; "
                   "without it the device is fresh each run");
    app.add_option("--model", model,
                   "Model letter: c (4 MiB ROM, save RAM), e (2 MiB, save RAM), g (2 MiB), "
                   "m (4 MiB)")
        ->capture_default_str()
        ->check(CLI::IsMember({"c", "e", "g", "m"}));
    app.add_option("--chips", chips,
                   "Flash chip identifiers (hex) for slot 0 and 1, 'none' for an empty slot, "
                   "e.g. 0100F922,none or C2004922,C2004922; unknown identifiers simulate an "
                   "unknown chip (default 0100F922,none)")
        ->delimiter(',')
        ->expected(1, 2);
    app.add_option("--rom-chip-text", config.romChipText,
                   "Data-bus text naming the ROM chips; MX29LV160 followed by T/B letters makes "
                   "the host take the chip types from the text");
    app.add_option("--ram-chip-text", config.ramChipText, "Data-bus text naming the RAM chip");
    app.add_option("--firmware", firmware,
                   "Data-bus firmware version XX.YY.ZZ in hex (default 02.06.09)");
    app.add_option("--boot-version", bootVersion,
                   "Data-bus boot loader version XX.YY.ZZ[S] (default 01.00.02b)");
    app.add_option("--address-firmware", addressFirmware,
                   "Address-bus firmware version XX.YY.ZZ[S] (default 01.03.02a)");
    app.add_option("--address-boot-version", addressBoot,
                   "Address-bus boot loader version XX.YY.ZZ[S] (default 01.00.01b)");
    app.add_option("--crystal", config.dataBusCrystal, "Data-bus crystal text")
        ->capture_default_str();
    app.add_option("--address-crystal", config.addressBusCrystal, "Address-bus crystal text")
        ->capture_default_str();
    app.add_option("--sci-version", config.sciVersion, "Address-bus SCI version text")
        ->capture_default_str();
    app.add_option("--erase-polls", config.erasePolls,
                   "Status polls an erase takes before it completes (0: at once)")
        ->capture_default_str();
    app.add_option("--erase-counter", eraseCounter,
                   "Erase counter of a fresh device (default 0xFFFFFFFF: never written)");
    app.add_option("--compatibility-set", config.compatibilitySet,
                   "Stored compatibility set of a fresh device (0-3)")
        ->check(CLI::Range(0, 3));
    app.add_option("--speed", speed,
                   "instant, or full: each transfer takes the time a full-speed USB bus needs "
                   "(64-byte packets, 19 per 1 ms frame)")
        ->capture_default_str()
        ->check(CLI::IsMember({"instant", "full"}));
    app.add_flag("--trace", settings.trace, "Print each command decoded (name, address, count)");

    auto* faults = app.add_option_group("Fault injection");
    faults->add_option("--disconnect-after", config.faults.disconnectAfterTransfers,
                       "Unplug after N transfers (once)");
    faults->add_option("--replug-after", replugMs, "Milliseconds an unplugged device stays away")
        ->capture_default_str();
    faults->add_option("--stall-transfer", config.faults.stallTransfer,
                       "Never answer transfer number N (the host times out)");
    faults->add_option("--stall-answer-after", stallAnswerMs,
                       "Answer the stalled transfer after MS milliseconds instead of never");
    faults->add_option("--short-replies", shortLength, "Cut replies to at most N bytes");
    faults->add_option("--short-reply-command", shortCommand,
                       "Cut only replies to this command code, e.g. 0x52 (default: all)");
    faults->add_option("--weak-cell", weakCell,
                       "ROM byte address (e.g. 0x1234) that never programs and stays 0xFF");
    faults->add_flag("--erase-never-finishes", config.faults.eraseNeverFinishes,
                     "Erases start but never complete");

    try {
        app.parse(argc, argv);
        config.model = model[0];
        if (!chips.empty()) {
            config.chips = {parseChip(chips[0]), chips.size() > 1 ? parseChip(chips[1]) : kNoChip};
        } else if (config.romChipText.rfind("MX29LV160", 0) == 0) {
            // Fit the chips to the text the host will read them from.
            config.chips = DeviceConfig::withMx29lv160Text(config.romChipText.substr(9)).chips;
        }
        if (!firmware.empty()) {
            config.dataBusFirmware = parseVersion(firmware, "--firmware", config.model);
        }
        if (!bootVersion.empty()) {
            config.dataBusBoot = parseVersion(bootVersion, "--boot-version", 'b');
        }
        if (!addressFirmware.empty()) {
            config.addressBusFirmware = parseVersion(addressFirmware, "--address-firmware", 'a');
        }
        if (!addressBoot.empty()) {
            config.addressBusBoot = parseVersion(addressBoot, "--address-boot-version", 'b');
        }
        if (!eraseCounter.empty()) {
            config.eraseCounterStart = parseUnsigned(eraseCounter, "--erase-counter");
        }
        config.speed = speed == "full" ? Speed::FullSpeed : Speed::Instant;
        config.faults.replugAfter = std::chrono::milliseconds(replugMs);
        if (app.count("--stall-answer-after") > 0) {
            config.faults.stallAnswerAfter = std::chrono::milliseconds(stallAnswerMs);
        }
        if (app.count("--short-replies") > 0) {
            config.faults.shortReplyLength = shortLength;
        }
        if (!shortCommand.empty()) {
            const std::uint32_t value = parseUnsigned(shortCommand, "--short-reply-command");
            if (value > 0xFF) {
                throw CLI::ValidationError("--short-reply-command", "not a command code");
            }
            config.faults.shortReplyCommand = static_cast<std::uint8_t>(value);
        }
        if (!weakCell.empty()) {
            config.faults.weakCellByteAddress = parseUnsigned(weakCell, "--weak-cell");
        }
    } catch (const CLI::ParseError& e) {
        return app.exit(e);
    }
    return -1;
}

}  // namespace velksim
