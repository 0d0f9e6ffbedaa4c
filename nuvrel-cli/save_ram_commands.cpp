// nuvrel-cli sram read | sram write | sram clear
#include <CLI/CLI.hpp>

#include <cstdio>
#include <filesystem>
#include <limits>
#include <memory>
#include <string>

#include "cli_failure.h"
#include "commands.h"
#include "device_access.h"
#include "engine/input_file.h"
#include "engine/status_text.h"
#include "operation_report.h"
#include "printable_text.h"
#include "saveram/save_ram.h"

namespace nuvrel::cli {
namespace {

constexpr const char* kNoSaveRam = "The attached device has no save RAM";

// Stops the command unless the query found save RAM: a device that did not answer (4), no
// device (3) or none on it (1). A zero size that was never reported must not become an empty
// dump or a write of nothing.
void RequireSaveRam(const SaveRamInfo& info) {
    if (!info.answered) {
        throw CliFailure(kExitNoAnswer, NoAnswerAt(device_step::kSaveRamQuery).status);
    }
    if (!info.deviceFound) {
        OpenDevice probe;  // throws when there is no device at all
        throw CliFailure(kExitFailed, kNoSaveRam);
    }
    if (info.ramSize == 0) {
        throw CliFailure(kExitFailed, kNoSaveRam);
    }
}

std::uint32_t SaveRamSizeOrFail() {
    const SaveRamInfo info = QuerySaveRamSize(false);
    RequireSaveRam(info);
    return info.ramSize;
}

int RunRead(const std::string& output) {
    RequireDeviceIdle();
    const SaveRamInfo info = QuerySaveRamForRead(false);
    RequireSaveRam(info);
    if (!info.opened) {
        throw CliFailure(kExitNoDevice, kDeviceNotDetected);
    }
    std::printf("Save RAM: %uKbytes, stored name \"%s\"\n", info.ramSize / 1024,
                Printable(info.storedName).c_str());
    std::fflush(stdout);
    SaveRamReadRequest request;
    request.outputPath = output;
    request.length = info.readLength;
    return RunAndReport(1024, ReadSaveRam, request, "Can't create file: " + ShownArgument(output));
}

struct WriteOptions {
    std::string saveFile;
    bool noVerify = false;
};

int RunWrite(const WriteOptions& options) {
    const InputFile file(options.saveFile);
    if (file.status() == InputFile::Status::NotRegular) {
        throw CliFailure(kExitBadInput,
                         std::string(kNotARegularFile) + ": " + ShownArgument(options.saveFile));
    }
    if (!file.opened()) {
        throw CliFailure(kExitBadInput, "Can't open file: " + ShownArgument(options.saveFile));
    }
    const std::uint64_t size = file.size();
    RequireDeviceIdle();
    const std::uint32_t ramSize = SaveRamSizeOrFail();
    if (size > std::numeric_limits<std::uint32_t>::max() ||
        !SaveFileFits(ramSize, static_cast<std::uint32_t>(size))) {
        const auto shown = static_cast<std::uint32_t>(
            std::min<std::uint64_t>(size, std::numeric_limits<std::uint32_t>::max()));
        throw CliFailure(kExitBadInput, SaveTooLargeMessage(ramSize, shown));
    }
    SaveRamWriteRequest request;
    request.inputPath = options.saveFile;
    request.length = static_cast<std::uint32_t>(size);
    request.verify = !options.noVerify;
    return RunAndReport(256, WriteSaveRam, request,
                        "Can't open file: " + ShownArgument(options.saveFile));
}

int RunClear() {
    RequireDeviceIdle();
    const std::uint32_t ramSize = SaveRamSizeOrFail();
    SaveRamClearRequest request;
    request.ramSize = ramSize;
    return RunAndReport(256, ClearSaveRam, request, kDeviceNotDetected);
}

}  // namespace

void AddSaveRamCommands(CLI::App& app, CommandAction& action) {
    CLI::App* sram = app.add_subcommand("sram", "Read, write or clear the save RAM");
    sram->require_subcommand(1);

    auto output = std::make_shared<std::string>();
    CLI::App* readCommand = sram->add_subcommand("read", "Read the save RAM into a .srm file");
    readCommand->add_option("OUTPUT", *output, "Save file to create")->required();
    readCommand->callback([output, &action] { action = [output] { return RunRead(*output); }; });

    auto write = std::make_shared<WriteOptions>();
    CLI::App* writeCommand = sram->add_subcommand("write", "Write a .srm save file");
    writeCommand->add_option("SAVEFILE", write->saveFile, "Genesis save file")->required();
    writeCommand->add_flag("--no-verify", write->noVerify, "Do not read the blocks back");
    writeCommand->callback([write, &action] { action = [write] { return RunWrite(*write); }; });

    CLI::App* clearCommand = sram->add_subcommand("clear", "Fill the whole save RAM with zeros");
    clearCommand->callback([&action] { action = [] { return RunClear(); }; });
}

}  // namespace nuvrel::cli
