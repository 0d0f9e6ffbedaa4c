// nuvrel-cli rom verify IMAGE: compare the device's ROM with an image without writing anything.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <memory>

#include "cli_failure.h"
#include "commands.h"
#include "device_access.h"
#include "genesis/rom_image.h"
#include "genesis/rom_verifier.h"
#include "operation_report.h"
#include "printable_text.h"
#include "rom_command_support.h"

namespace nuvrel::cli {
namespace {

int RunVerify(const ImageOptions& options) {
    const CheckedImage image = CheckImageOrFail(options.image);
    const PatchList patches = CollectPatches(options, image.size);
    const std::optional<DatFile> dat = LoadDatOrFail(options.dat);
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
    std::fflush(text);

    RomVerifyRequest request;
    request.imagePath = options.image;
    request.imageSize = image.size;
    if (!patches.empty()) {
        request.applyPatches = [patches](std::uint8_t* bytes, std::uint32_t length) {
            ApplyPatches(patches, bytes, length);
        };
    }
    return RunAndReport(
        1024, VerifyRom, request, "Can't open file: " + ShownArgument(options.image), text,
        [&] { ReportDigest(options.image, *digest, dat, kStatusRomMatches, options.json); });
}

}  // namespace

void AddRomVerifyCommand(CLI::App& rom, CommandAction& action) {
    auto options = std::make_shared<ImageOptions>();
    CLI::App* command = rom.add_subcommand(
        "verify", "Compare the device's ROM with an image (patches applied) without writing");
    AddImageOptions(*command, *options);
    command->callback([options, &action] { action = [options] { return RunVerify(*options); }; });
}

}  // namespace nuvrel::cli
