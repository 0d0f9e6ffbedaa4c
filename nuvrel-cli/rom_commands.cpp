// nuvrel-cli rom write | rom read | rom header
#include <velk_series/velk_series.h>
#include <CLI/CLI.hpp>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "cli_failure.h"
#include "commands.h"
#include "device_access.h"
#include "engine/device_capacity.h"
#include "genesis/genesis_header.h"
#include "genesis/rom_image.h"
#include "genesis/rom_reader.h"
#include "genesis/rom_writer.h"
#include "operation_report.h"
#include "patches/game_genie.h"
#include "patches/patch_file.h"
#include "patches/patch_input.h"
#include "patches/patch_list.h"
#include "patches/patch_messages.h"
#include "printable_text.h"

namespace nuvrel::cli {
namespace {

constexpr const char* kNoRomSize = "The attached device reports no ROM size";

struct WriteOptions {
    std::string image;
    bool verify = false;
    bool fastErase = false;
    std::vector<std::string> patches;
    std::string patchFile;
};

// Patches from the file first, then those typed on the command line, all applied; on an address
// given twice the later one wins.
PatchList CollectPatches(const WriteOptions& options, std::uint32_t imageSize) {
    PatchList list;
    if (!options.patchFile.empty()) {
        const PatchFileResult result = LoadPatchFile(options.patchFile, imageSize, list);
        if (result != PatchFileResult::Ok) {
            throw CliFailure(kExitBadInput, std::string(PatchFileMessage(result)) + " (" +
                                                options.patchFile + ")");
        }
    }
    for (const std::string& text : options.patches) {
        const auto patch = ParsePatchArgument(text);
        if (!patch) {
            throw CliFailure(kExitBadInput, "Invalid patch \"" + text +
                                                "\": expected ADDRESS:DATA in hex or a Game "
                                                "Genie code like 1RZA-AAEA");
        }
        if (!IsInRomArea(patch->address, imageSize)) {
            throw CliFailure(kExitBadInput,
                             std::string(patch_messages::kAddressNotInRomArea) + " (" + text + ")");
        }
        char code[kGameGenieCodeBufferSize];
        EncodeGameGenie(patch->address, patch->data, code);
        list.AppendPatchRow(patch->address, patch->data, code);
    }
    for (std::size_t index = 0; index < list.size(); ++index) {
        list.SetChecked(index, true);
    }
    return list;
}

// GetMaxSize gives 0 both without a device and for a model of unknown size; only the first is
// "no device".
std::uint32_t DeviceCapacityOrFail() {
    const DeviceCapacity capacity = QueryDeviceCapacity(false);
    if (capacity.romBytes == 0) {
        OpenDevice probe;
    }
    return capacity.romBytes;
}

int RunWrite(const WriteOptions& options) {
    const ImageCheck check = CheckInputImage(options.image);
    if (!check.usable || !check.size) {
        throw CliFailure(kExitBadInput, "Can't open image file: " + options.image);
    }
    const std::uint32_t imageSize = *check.size;
    const PatchList patches = CollectPatches(options, imageSize);

    RequireDeviceIdle();
    const std::uint32_t capacity = DeviceCapacityOrFail();
    if (!ImageFitsDevice(capacity, imageSize)) {
        throw CliFailure(kExitBadInput, RomTooLargeMessage(capacity, imageSize));
    }

    std::printf("Image: %s, %s, \"%s\"\n", options.image.c_str(),
                FileSizeMBitText(imageSize).c_str(),
                Printable(check.domesticName.value_or("")).c_str());
    if (!patches.empty()) {
        std::printf("Patches applied to the image in memory: %zu\n", patches.size());
    }
    std::fflush(stdout);

    RomWriteRequest request;
    request.imagePath = options.image;
    request.imageSize = imageSize;
    request.verify = options.verify;
    request.fastErase = options.fastErase;
    if (!patches.empty()) {
        request.applyPatches = [patches](std::uint8_t* image, std::uint32_t length) {
            ApplyPatches(patches, image, length);
        };
    }
    return RunAndReport(512, WriteRom, request, "Can't open file: " + options.image);
}

int RunRead(const std::string& output) {
    RequireDeviceIdle();
    const DeviceRomInfo info = QueryDeviceRom();
    if (!info.deviceFound) {
        throw DeviceUnavailable();
    }
    if (info.romSize < 1024) {
        // An unknown model (or an unreadable identity) reports no ROM size: a "Read Complite"
        // over an empty file would look like a good dump to a script.
        throw CliFailure(kExitFailed, kNoRomSize);
    }
    std::printf("Device ROM: %s, stored name \"%s\", \"%s\"\n", info.sizeText.c_str(),
                Printable(info.storedName).c_str(), Printable(info.domesticName).c_str());
    std::fflush(stdout);
    return RunAndReport(1024, ReadRom, RomReadRequest{output, info.romSize},
                        "Can't create file: " + output);
}

struct HeaderOptions {
    std::string image;
    bool device = false;
    bool json = false;
};

void PrintHeader(const std::string& fileName, const std::string& fileSize,
                 const GenesisHeaderFields& fields, bool json) {
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
        std::printf("%s\n",
                    object.dump(2, ' ', false, nlohmann::json::error_handler_t::replace).c_str());
        return;
    }
    for (const auto& [label, value] : rows) {
        std::printf("%-44s %s\n", label, Printable(*value).c_str());
    }
}

int RunHeader(const HeaderOptions& options) {
    if (options.device) {
        RequireDeviceIdle();
        const DeviceHeaderRead read = ReadGenesisHeaderFromDevice();
        if (!read.deviceFound) {
            throw DeviceUnavailable();
        }
        if (!read.header) {
            throw CliFailure(kExitFailed, "Can't read the ROM header from the device");
        }
        PrintHeader(read.fileName, kNotApplicable, FormatGenesisHeader(*read.header), options.json);
        return kExitSuccess;
    }
    const auto header = ReadGenesisHeaderFromFile(options.image);
    std::error_code error;
    const auto size = std::filesystem::file_size(options.image, error);
    if (!header || error) {
        throw CliFailure(kExitBadInput, "Can't read a Genesis header from: " + options.image);
    }
    PrintHeader(options.image, HeaderFileSizeText(static_cast<std::uint32_t>(size)),
                FormatGenesisHeader(*header), options.json);
    return kExitSuccess;
}

}  // namespace

void AddRomCommands(CLI::App& app, CommandAction& action) {
    CLI::App* rom = app.add_subcommand("rom", "Program, read back or inspect the cartridge ROM");
    rom->require_subcommand(1);

    auto write = std::make_shared<WriteOptions>();
    CLI::App* writeCommand = rom->add_subcommand("write", "Program a Genesis ROM image");
    writeCommand->add_option("IMAGE", write->image, "Genesis ROM image (.gen, .bin)")->required();
    writeCommand->add_flag("--verify", write->verify, "Read every block back and compare");
    writeCommand->add_flag("--fast-erase", write->fastErase,
                           "Erase whole chips when the chips allow it");
    writeCommand->add_option("--patch", write->patches,
                             "Patch to apply in memory: ADDRESS:DATA (hex) or a Game Genie code; "
                             "may be repeated");
    writeCommand->add_option("--patch-file", write->patchFile,
                             "Patch file of ADDRESS:DATA lines; every patch in it is applied");
    writeCommand->callback([write, &action] { action = [write] { return RunWrite(*write); }; });

    auto output = std::make_shared<std::string>();
    CLI::App* readCommand = rom->add_subcommand("read", "Read the whole device ROM into a file");
    readCommand->add_option("OUTPUT", *output, "File to create")->required();
    readCommand->callback([output, &action] { action = [output] { return RunRead(*output); }; });

    auto header = std::make_shared<HeaderOptions>();
    CLI::App* headerCommand =
        rom->add_subcommand("header", "Show the Genesis header of an image or of the device ROM");
    CLI::Option* imageOption =
        headerCommand->add_option("IMAGE", header->image, "Genesis ROM image");
    CLI::Option* deviceOption =
        headerCommand->add_flag("--device", header->device, "Read the header from the device");
    imageOption->excludes(deviceOption);
    headerCommand->add_flag("--json", header->json, "Print the header as JSON");
    headerCommand->callback([header, &action] {
        if (header->image.empty() && !header->device) {
            throw CLI::ValidationError("rom header", "give an IMAGE or --device");
        }
        action = [header] { return RunHeader(*header); };
    });
}

}  // namespace nuvrel::cli
