// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// nuvrel-cli rom read OUTPUT: read the device's ROM into a file.
#include <CLI/CLI.hpp>

#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <system_error>

#include "cli_failure.h"
#include "commands.h"
#include "device_access.h"
#include "engine/size_units.h"
#include "engine/status_text.h"
#include "engine/stored_name.h"
#include "engine/whole_file.h"
#include "genesis/dump_trim.h"
#include "genesis/genesis_header.h"
#include "genesis/rom_reader.h"
#include "operation_report.h"
#include "printable_text.h"
#include "rom_command_support.h"

namespace nuvrel::cli {
namespace {

constexpr const char* kNoRomSize = "The attached device reports no ROM size";
constexpr const char* kNoRomEnd =
    "The ROM header gives no ROM end address past the header; read without --size header";

struct ReadOptions {
    std::string output;
    std::string size = "capacity";  // or "header"
    unsigned chunk = kDumpUnitsPerRead;
    std::string dat;
    bool json = false;
    bool trim = false;
};

// The whole ROM read for --trim before the kept part replaces the output; removed on every path.
class UntrimmedDump {
  public:
    UntrimmedDump() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "nuvrel-dump-XXXXXX").string();
        const int fd = mkstemp(pattern.data());
        if (fd < 0) {
            throw CliFailure(kExitNotWritten, "Can't create a temporary file for the dump");
        }
        close(fd);
        path_ = pattern;
    }
    ~UntrimmedDump() {
        std::error_code ignored;
        std::filesystem::remove(path_, ignored);
    }
    UntrimmedDump(const UntrimmedDump&) = delete;
    UntrimmedDump& operator=(const UntrimmedDump&) = delete;
    const std::string& path() const { return path_; }

  private:
    std::string path_;
};

// Puts the kept part of the whole dump at output; the output is replaced only by a complete copy.
std::string WriteTrimmedDump(const std::string& dump, const std::string& output,
                             std::uint32_t length, std::FILE* text) {
    const WholeFile whole = ReadWholeFile(dump, length);
    if (!whole.read()) {
        throw CliFailure(kExitNotWritten, "Can't read the dump back: " + ShownArgument(dump));
    }
    const DumpTrim trim = TrimErasedTail(whole.bytes);
    std::fprintf(text, "Keeping %u bytes: %s\n", static_cast<unsigned>(trim.length),
                 trim.reason.c_str());
    const WholeFileWrite written = WriteWholeFile(
        output, std::span<const std::uint8_t>(whole.bytes.data(), trim.length), dump);
    if (written != WholeFileWrite::Written) {
        throw CliFailure(kExitNotWritten, std::string(WholeFileWriteMessage(written)) + ": " +
                                              ShownArgument(output));
    }
    return trim.reason;
}

// --size header: up to the ROM end address the game's header gives, in whole kilobytes, never
// past the capacity. Games are often smaller than the cartridge.
std::uint32_t HeaderSizedLength(std::uint32_t capacity) {
    const DeviceHeaderRead read = ReadGenesisHeaderFromDevice();
    if (!read.deviceFound) {
        throw DeviceUnavailable();
    }
    if (!read.header) {
        throw CliFailure(kExitNoAnswer, NoAnswerAt(device_step::kHeaderRead).status);
    }
    // A blank or garbled header must not pass for a tiny game: the image goes past 0x200.
    const std::uint32_t end = HeaderRomEnd(*read.header);
    if (end < 0x1FF) {
        throw CliFailure(kExitFailed, kNoRomEnd);
    }
    const std::uint64_t used = std::uint64_t{end} + 1;
    const std::uint64_t kilobytes = (used + kBytesPerKilobyte - 1) / kBytesPerKilobyte;
    return static_cast<std::uint32_t>(
        std::min<std::uint64_t>(kilobytes * kBytesPerKilobyte, capacity));
}

int RunRead(const ReadOptions& options) {
    const std::optional<DatFile> dat = LoadDatOrFail(options.dat);
    const DeviceRomInfo info = QueryDeviceRom();
    if (!info.deviceFound) {
        throw DeviceUnavailable();
    }
    if (!info.answered) {
        throw CliFailure(kExitNoAnswer, NoAnswerAt(device_step::kRomQuery).status);
    }
    if (info.romSize < 1024) {
        // An unknown model (or an unreadable identity) reports no ROM size: a "Read Complite"
        // over an empty file would look like a good dump to a script.
        throw CliFailure(kExitFailed, kNoRomSize);
    }
    const std::uint32_t length =
        options.size == "header" ? HeaderSizedLength(info.romSize) : info.romSize;

    std::FILE* text = TextOutput(options.json);
    std::fprintf(text, "Device ROM: %s, stored name \"%s\", \"%s\"\n", info.sizeText.c_str(),
                 Printable(ShownStoredName(info.storedName)).c_str(),
                 Printable(info.domesticName).c_str());
    std::string reason = "the whole ROM";
    if (length != info.romSize) {
        reason = "up to the header's ROM end";
        std::fprintf(text, "Reading %u bytes, %s\n", static_cast<unsigned>(length), reason.c_str());
    }
    std::fflush(text);

    std::optional<UntrimmedDump> untrimmed;
    if (options.trim) {
        untrimmed.emplace();
    }
    RomReadRequest request;
    request.outputPath = untrimmed ? untrimmed->path() : options.output;
    request.length = length;
    request.unitsPerRead = static_cast<std::uint8_t>(options.chunk);
    return RunAndReport(
        1024, ReadRom, request, "Can't create file: " + ShownArgument(options.output), text, [&] {
            if (untrimmed) {
                reason = WriteTrimmedDump(untrimmed->path(), options.output, length, text);
            }
            const std::optional<RomDigest> digest = DigestFile(options.output);
            if (!digest) {
                throw CliFailure(kExitNotWritten,
                                 "Can't read the dump back: " + ShownArgument(options.output));
            }
            ReportDigest(options.output, *digest, dat, kStatusReadComplete, options.json, reason);
        });
}

}  // namespace

void AddRomReadCommand(CLI::App& rom, CommandAction& action) {
    auto options = std::make_shared<ReadOptions>();
    CLI::App* command = rom.add_subcommand("read", "Read the device's ROM into a file");
    AddDeviceOption(*command);
    command->add_option("OUTPUT", options->output, "File to create")->required();
    command
        ->add_option("--size", options->size,
                     "capacity: the whole ROM (the default); header: up to the ROM end address "
                     "of the game's header")
        ->check(CLI::IsMember({"capacity", "header"}));
    command
        ->add_flag("--trim", options->trim,
                   "Drop the erased 0xFF blocks after the game, keeping a power of two of at "
                   "least 128 KiB")
        ->excludes("--size");
    command
        ->add_option("--chunk", options->chunk,
                     "64-byte units per read, 16 to 255 (default 16, what every device answers; "
                     "larger reads depend on the device's firmware)")
        ->check(CLI::Range(16, 255));
    command->add_option("--dat", options->dat,
                        "Logiqx XML DAT file: name the game whose dump matches");
    command->add_flag("--json", options->json,
                      "Print the result as JSON (progress goes to stderr)");
    command->callback([options, &action] { action = [options] { return RunRead(*options); }; });
}

}  // namespace nuvrel::cli
