// nuvrel-cli rom write IMAGE: program an image, patches applied in memory.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <memory>

#include "cli_failure.h"
#include "commands.h"
#include "device_access.h"
#include "genesis/rom_image.h"
#include "genesis/rom_writer.h"
#include "operation_report.h"
#include "printable_text.h"
#include "rom_command_support.h"

namespace nuvrel::cli {
namespace {

struct WriteOptions : ImageOptions {
    bool verify = false;
    bool fastErase = false;
};

int RunWrite(const WriteOptions& options) {
    const CheckedImage image = CheckImageOrFail(options.image);
    const PatchList patches = CollectPatches(options, image.size);
    const std::optional<DatFile> dat = LoadDatOrFail(options.dat);
    // Of the image as it is on disk: what a dump database knows it by.
    const std::optional<RomDigest> digest = DigestFile(options.image);
    if (!digest) {
        throw CliFailure(kExitBadInput, "Can't open image file: " + ShownArgument(options.image));
    }

    RequireDeviceIdle();
    const std::uint32_t capacity = DeviceCapacityOrFail();
    if (!ImageFitsDevice(capacity, image.size)) {
        throw CliFailure(kExitBadInput, RomTooLargeMessage(capacity, image.size));
    }

    std::FILE* text = TextOutput(options.json);
    std::fprintf(text, "Image: %s, %s, \"%s\"\n", ShownArgument(options.image).c_str(),
                 FileSizeMBitText(image.size).c_str(), Printable(image.domesticName).c_str());
    if (!patches.empty()) {
        std::fprintf(text, "Patches applied to the image in memory: %zu\n", patches.size());
    }
    std::fflush(text);

    RomWriteRequest request;
    request.imagePath = options.image;
    request.imageSize = image.size;
    request.verify = options.verify;
    request.fastErase = options.fastErase;
    if (!patches.empty()) {
        request.applyPatches = [patches](std::uint8_t* bytes, std::uint32_t length) {
            ApplyPatches(patches, bytes, length);
        };
    }
    return RunAndReport(
        512, WriteRom, request, "Can't open file: " + ShownArgument(options.image), text,
        [&] { ReportDigest(options.image, *digest, dat, kStatusWriteComplete, options.json); });
}

}  // namespace

void AddRomWriteCommand(CLI::App& rom, CommandAction& action) {
    auto options = std::make_shared<WriteOptions>();
    CLI::App* command = rom.add_subcommand("write", "Program a Genesis ROM image");
    AddImageOptions(*command, *options);
    command->add_flag("--verify", options->verify, "Read every block back and compare");
    command->add_flag("--fast-erase", options->fastErase,
                      "Erase whole chips when the chips allow it");
    command->callback([options, &action] { action = [options] { return RunWrite(*options); }; });
}

}  // namespace nuvrel::cli
