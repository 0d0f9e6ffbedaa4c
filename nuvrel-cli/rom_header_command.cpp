// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// nuvrel-cli rom header [IMAGE | --device] and rom fix-checksum IMAGE [OUTPUT].
#include <CLI/CLI.hpp>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <nlohmann/json.hpp>
#include <vector>

#include "cli_failure.h"
#include "commands.h"
#include "device_access.h"
#include "engine/status_text.h"
#include "engine/whole_file.h"
#include "genesis/genesis_checksum.h"
#include "genesis/genesis_header.h"
#include "genesis/rom_image_format.h"
#include "json_output.h"
#include "printable_text.h"
#include "rom_command_support.h"

namespace nuvrel::cli {
namespace {

struct HeaderOptions {
    std::string image;
    bool device = false;
    bool json = false;
};

std::string Hex4(std::uint16_t value) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%.4x", static_cast<unsigned>(value));
    return text;
}

void PrintHeader(const std::string& fileName, const std::string& fileSize,
                 const GenesisHeaderFields& fields, const std::optional<ImageChecksum>& checksum,
                 bool json) {
    const std::vector<std::pair<const char*, const std::string*>> rows = {
        {"File name:", &fileName},
        {"File size:", &fileSize},
        {"SEGA system name and TITLE:", &fields.systemName},
        {"Copyright notice and year/month of release:", &fields.copyright},
        {"Domestic Game Name:", &fields.domesticName},
        {"Overseas Game Name:", &fields.overseasName},
        {"Cartridge Type:", &fields.cartridgeType},
        {"Check Sum:", &fields.checksum},
        {"ROM capacity Start Address, End Addres:", &fields.romRange},
        {"SRAM capacity Start Address, End Addres:", &fields.ramRange},
    };
    if (json) {
        const char* keys[] = {"fileName",     "fileSize",     "systemName",    "copyright",
                              "domesticName", "overseasName", "cartridgeType", "checksum",
                              "romRange",     "ramRange"};
        nlohmann::ordered_json object;
        for (std::size_t index = 0; index < rows.size(); ++index) {
            // Header texts are raw bytes; invalid UTF-8 is replaced rather than refused.
            object[keys[index]] = *rows[index].second;
        }
        if (checksum) {
            object["computedChecksum"] = Hex4(checksum->computed);
            object["checksumMatches"] = checksum->matches();
        }
        std::printf("%s\n", JsonText(object).c_str());
        return;
    }
    for (const auto& [label, value] : rows) {
        std::printf("%-44s %s\n", label, Printable(*value).c_str());
    }
    if (checksum) {
        std::printf("%-44s %s (%s)\n", "Computed Check Sum:", Hex4(checksum->computed).c_str(),
                    checksum->matches() ? "matches" : "differs");
    }
}

// An SMD or byte-swapped image shows the header of the plain image the device would hold; false
// for any other image, which is shown as it is.
bool PrintConvertedHeader(const HeaderOptions& options) {
    constexpr std::uint64_t kLargestImage = 64ull * 1024 * 1024;
    const WholeFile file = ReadWholeFile(options.image, kLargestImage);
    if (!file.read()) {
        return false;
    }
    const RomFormatDetection format = DetectRomImageFormat(file.bytes);
    if (format.format == RomImageFormat::Plain) {
        return false;
    }
    const std::vector<std::uint8_t> plain = ToPlainImage(file.bytes, format.format);
    if (plain.size() < kGenesisHeaderOffset + kGenesisHeaderLength) {
        return false;
    }
    GenesisHeaderBytes header;
    std::copy_n(plain.begin() + kGenesisHeaderOffset, header.size(), header.begin());
    const ImageChecksum checksum{
        static_cast<std::uint16_t>(plain[kChecksumOffset] << 8 | plain[kChecksumOffset + 1]),
        ComputeGenesisChecksum(plain)};
    std::fprintf(TextOutput(options.json), "Image format: %s\n", format.note.c_str());
    PrintHeader(options.image, HeaderFileSizeText(format.plainSize), FormatGenesisHeader(header),
                checksum, options.json);
    return true;
}

int RunHeader(const HeaderOptions& options) {
    if (options.device) {
        const DeviceHeaderRead read = ReadGenesisHeaderFromDevice();
        if (!read.deviceFound) {
            throw DeviceUnavailable();
        }
        if (!read.header) {
            // Every step of the header read is a transfer; one failed.
            throw CliFailure(kExitNoAnswer, NoAnswerAt(device_step::kHeaderRead).status);
        }
        PrintHeader(read.fileName, kNotApplicable, FormatGenesisHeader(*read.header), std::nullopt,
                    options.json);
        return kExitSuccess;
    }
    RequireRegularFile(options.image);
    if (PrintConvertedHeader(options)) {
        return kExitSuccess;
    }
    const auto header = ReadGenesisHeaderFromFile(options.image);
    std::error_code error;
    const auto size = std::filesystem::file_size(options.image, error);
    if (!header || error) {
        throw CliFailure(kExitBadInput,
                         "Can't read a Genesis header from: " + ShownArgument(options.image));
    }
    PrintHeader(options.image, HeaderFileSizeText(static_cast<std::uint32_t>(size)),
                FormatGenesisHeader(*header), ReadImageChecksum(options.image), options.json);
    return kExitSuccess;
}

struct FixOptions {
    std::string image;
    std::string output;
};

// IMAGE with ".fixed" before its extension, in the same folder.
std::string DefaultFixedName(const std::string& image) {
    const std::filesystem::path path(image);
    return (path.parent_path() / (path.stem().string() + ".fixed" + path.extension().string()))
        .string();
}

int RunFixChecksum(const FixOptions& options) {
    RequireRegularFile(options.image);
    const std::optional<ImageChecksum> checksum = ReadImageChecksum(options.image);
    if (!checksum) {
        throw CliFailure(kExitBadInput,
                         "Can't read a Genesis header from: " + ShownArgument(options.image));
    }
    if (checksum->matches()) {
        std::printf("Check Sum: %s matches; nothing written\n", Hex4(checksum->stored).c_str());
        return kExitSuccess;
    }
    const std::string output =
        options.output.empty() ? DefaultFixedName(options.image) : options.output;
    switch (WriteChecksumFixedCopy(options.image, output)) {
        case ChecksumFix::Written:
            break;
        case ChecksumFix::SameFile:
            throw CliFailure(kExitBadInput, "The corrected copy must not replace the image: " +
                                                ShownArgument(output));
        case ChecksumFix::CannotRead:
            throw CliFailure(kExitBadInput,
                             "Can't read a Genesis header from: " + ShownArgument(options.image));
        case ChecksumFix::CannotWrite:
            throw CliFailure(kExitNotWritten, "Can't write file: " + ShownArgument(output));
    }
    std::printf("Check Sum: %s -> %s, written to %s\n", Hex4(checksum->stored).c_str(),
                Hex4(checksum->computed).c_str(), ShownArgument(output).c_str());
    return kExitSuccess;
}

}  // namespace

void AddRomHeaderCommands(CLI::App& rom, CommandAction& action) {
    auto header = std::make_shared<HeaderOptions>();
    CLI::App* headerCommand = rom.add_subcommand(
        "header",
        "Show the Genesis header of an image (with its computed checksum) or of the "
        "device ROM");
    CLI::Option* imageOption =
        headerCommand->add_option("IMAGE", header->image, "Genesis ROM image");
    CLI::Option* deviceOption = AddDeviceOption(
        *headerCommand,
        "Read the header from the device (with SELECTOR: the one it names, as for the other "
        "device commands)",
        true);
    imageOption->excludes(deviceOption);
    headerCommand->add_flag("--json", header->json, "Print the header as JSON");
    headerCommand->callback([header, deviceOption, &action] {
        header->device = deviceOption->count() > 0;
        if (header->image.empty() && !header->device) {
            throw CLI::ValidationError("rom header", "give an IMAGE or --device");
        }
        action = [header] { return RunHeader(*header); };
    });

    auto fix = std::make_shared<FixOptions>();
    CLI::App* fixCommand = rom.add_subcommand(
        "fix-checksum", "Write a copy of an image with the header checksum corrected");
    fixCommand->add_option("IMAGE", fix->image, "Genesis ROM image")->required();
    fixCommand->add_option("OUTPUT", fix->output,
                           "The corrected copy (default: IMAGE with .fixed before the extension)");
    fixCommand->callback([fix, &action] { action = [fix] { return RunFixChecksum(*fix); }; });
}

}  // namespace nuvrel::cli
