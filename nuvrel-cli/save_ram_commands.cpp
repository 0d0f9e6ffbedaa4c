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
#include "operation_report.h"
#include "printable_text.h"
#include "saveram/save_ram.h"

namespace nuvrel::cli {
namespace {

constexpr const char* kNoSaveRam = "The attached device has no save RAM";

// The save-RAM value, or the failure that stops the command: no device (3) or none on it (1).
std::uint32_t SaveRamSizeOrFail() {
    const SaveRamInfo info = QuerySaveRamSize(false);
    if (!info.deviceFound) {
        OpenDevice probe;  // throws when there is no device at all
        throw CliFailure(kExitFailed, kNoSaveRam);
    }
    if (info.ramSize == 0) {
        throw CliFailure(kExitFailed, kNoSaveRam);
    }
    return info.ramSize;
}

int RunRead(const std::string& output) {
    RequireDeviceIdle();
    const SaveRamInfo info = QuerySaveRamForRead(false);
    if (!info.deviceFound) {
        OpenDevice probe;
        throw CliFailure(kExitFailed, kNoSaveRam);
    }
    if (info.ramSize == 0) {
        throw CliFailure(kExitFailed, kNoSaveRam);
    }
    if (!info.opened) {
        throw DeviceUnavailable();
    }
    std::printf("Save RAM: %uKbytes, stored name \"%s\"\n", info.ramSize / 1024,
                Printable(info.storedName).c_str());
    std::fflush(stdout);
    return RunAndReport(1024, ReadSaveRam, SaveRamReadRequest{output, info.readLength},
                        "Can't create file: " + output);
}

struct WriteOptions {
    std::string saveFile;
    bool noVerify = false;
};

int RunWrite(const WriteOptions& options) {
    std::error_code error;
    const auto size = std::filesystem::file_size(options.saveFile, error);
    if (error || !std::filesystem::is_regular_file(options.saveFile, error)) {
        throw CliFailure(kExitBadInput, "Can't open file: " + options.saveFile);
    }
    RequireDeviceIdle();
    const std::uint32_t ramSize = SaveRamSizeOrFail();
    if (size > std::numeric_limits<std::uint32_t>::max() ||
        !SaveFileFits(ramSize, static_cast<std::uint32_t>(size))) {
        const auto shown = static_cast<std::uint32_t>(
            std::min<std::uintmax_t>(size, std::numeric_limits<std::uint32_t>::max()));
        throw CliFailure(kExitBadInput, SaveTooLargeMessage(ramSize, shown));
    }
    return RunAndReport(
        256, WriteSaveRam,
        SaveRamWriteRequest{options.saveFile, static_cast<std::uint32_t>(size), !options.noVerify},
        "Can't open file: " + options.saveFile);
}

int RunClear() {
    RequireDeviceIdle();
    const std::uint32_t ramSize = SaveRamSizeOrFail();
    return RunAndReport(256, ClearSaveRam, SaveRamClearRequest{ramSize, true}, kDeviceNotDetected);
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
