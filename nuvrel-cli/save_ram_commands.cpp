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

// "window": the byte image of the save-RAM window, one save byte at every odd offset (the
// program's own layout); "compact": the save bytes alone, as many emulators keep them.
constexpr const char* kFormatHelp =
    "window: the save-RAM window as the program keeps it (the default); compact: the save bytes "
    "alone, one byte each, as many emulators keep saves";

struct ReadOptions {
    std::string output;
    std::string format = "window";
};

int RunRead(const ReadOptions& options) {
    const std::string& output = options.output;
    const SaveRamInfo info = QuerySaveRamForRead(false);
    RequireSaveRam(info);
    if (!info.opened) {
        throw DeviceUnavailable();
    }
    std::printf("Save RAM: %uKbytes, stored name \"%s\"\n", info.ramSize / 1024,
                Printable(info.storedName).c_str());
    std::fflush(stdout);
    SaveRamReadRequest request;
    request.outputPath = output;
    request.length = info.readLength;
    request.compact = options.format == "compact";
    return RunAndReport(1024, ReadSaveRam, request, "Can't create file: " + ShownArgument(output));
}

struct WriteOptions {
    std::string saveFile;
    bool noVerify = false;
    std::string format = "window";
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
    const std::uint32_t ramSize = SaveRamSizeOrFail();
    const bool compact = options.format == "compact";
    // A compact file fills the window's odd bytes: it holds at most the save-RAM value's bytes.
    const bool fits = compact ? size <= ramSize
                              : size <= std::numeric_limits<std::uint32_t>::max() &&
                                    SaveFileFits(ramSize, static_cast<std::uint32_t>(size));
    if (!fits) {
        const auto shown = static_cast<std::uint32_t>(
            std::min<std::uint64_t>(size, std::numeric_limits<std::uint32_t>::max()));
        throw CliFailure(kExitBadInput, SaveTooLargeMessage(ramSize, shown));
    }
    SaveRamWriteRequest request;
    request.inputPath = options.saveFile;
    request.length = static_cast<std::uint32_t>(size);
    request.verify = !options.noVerify;
    request.compact = compact;
    return RunAndReport(256, WriteSaveRam, request,
                        "Can't open file: " + ShownArgument(options.saveFile));
}

int RunClear() {
    const std::uint32_t ramSize = SaveRamSizeOrFail();
    SaveRamClearRequest request;
    request.ramSize = ramSize;
    return RunAndReport(256, ClearSaveRam, request, kDeviceNotDetectedText);
}

}  // namespace

void AddSaveRamCommands(CLI::App& app, CommandAction& action) {
    CLI::App* sram = app.add_subcommand("sram", "Read, write or clear the save RAM");
    sram->require_subcommand(1);

    auto read = std::make_shared<ReadOptions>();
    CLI::App* readCommand = sram->add_subcommand("read", "Read the save RAM into a .srm file");
    readCommand->add_option("OUTPUT", read->output, "Save file to create")->required();
    readCommand->add_option("--format", read->format, kFormatHelp)
        ->check(CLI::IsMember({"window", "compact"}));
    readCommand->callback([read, &action] { action = [read] { return RunRead(*read); }; });

    auto write = std::make_shared<WriteOptions>();
    CLI::App* writeCommand = sram->add_subcommand("write", "Write a .srm save file");
    writeCommand->add_option("SAVEFILE", write->saveFile, "Genesis save file")->required();
    writeCommand->add_flag("--no-verify", write->noVerify, "Do not read the blocks back");
    writeCommand->add_option("--format", write->format, kFormatHelp)
        ->check(CLI::IsMember({"window", "compact"}));
    writeCommand->callback([write, &action] { action = [write] { return RunWrite(*write); }; });

    CLI::App* clearCommand = sram->add_subcommand("clear", "Fill the whole save RAM with zeros");
    clearCommand->callback([&action] { action = [] { return RunClear(); }; });
}

}  // namespace nuvrel::cli
