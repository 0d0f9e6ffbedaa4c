// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// nuvrel-cli sram read | sram write | sram clear
#include <CLI/CLI.hpp>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "cli_failure.h"
#include "commands.h"
#include "device_access.h"
#include "engine/input_file.h"
#include "engine/status_text.h"
#include "engine/stored_name.h"
#include "operation_report.h"
#include "printable_text.h"
#include "rom_command_support.h"
#include "save_layout_options.h"
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
                Printable(ShownStoredName(info.storedName)).c_str());
    std::fflush(stdout);
    SaveRamReadRequest request;
    request.outputPath = output;
    request.length = info.readLength;
    request.layout = *SaveLayoutFromName(options.format);
    return RunAndReport(1024, ReadSaveRam, request, "Can't create file: " + ShownArgument(output));
}

struct WriteOptions {
    std::string saveFile;
    bool noVerify = false;
    std::string format = kDetectLayout;
};

int RunWrite(const WriteOptions& options) {
    RequireRegularFile(options.saveFile);
    if (const InputFile file(options.saveFile);
        file.opened() && !SaveFileMayFillBlock(file.size())) {
        // Before the device is asked: the run would send nothing and still store the name.
        throw CliFailure(kExitBadInput, kSaveTooSmallText);
    }
    const std::uint32_t ramSize = SaveRamSizeOrFail();
    const PreparedSave prepared =
        PrepareSaveFile(options.saveFile, ramSize, NamedLayoutOption(options.format));
    if (!prepared.opened) {
        throw CliFailure(kExitBadInput, "Can't open file: " + ShownArgument(options.saveFile));
    }
    RequireKnownLayout(prepared.detection, "--format");
    if (!SaveFileHasBlockToSend(prepared.windowBytes)) {
        // Before the device is asked: the run would send nothing and still store the name.
        throw CliFailure(kExitBadInput, kSaveTooSmallText);
    }
    if (!SaveFileFillsBlocks(prepared.windowBytes)) {
        throw CliFailure(kExitBadInput, SavePartialBlockMessage(prepared.windowBytes));
    }
    std::printf("Save file: %s\n", prepared.detection.text.c_str());
    std::fflush(stdout);
    SaveRamWriteRequest request;
    request.inputPath = options.saveFile;
    request.length = prepared.windowBytes;
    request.windowImage = prepared.windowImage;
    request.verify = !options.noVerify;
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
    CLI::App* sram =
        app.add_subcommand("sram", "Read, write or clear the save RAM, or convert save files");
    sram->require_subcommand(1);

    auto read = std::make_shared<ReadOptions>();
    CLI::App* readCommand = sram->add_subcommand("read", "Read the save RAM into a .srm file");
    AddDeviceOption(*readCommand);
    readCommand->add_option("OUTPUT", read->output, "Save file to create")->required();
    readCommand->add_option("--format", read->format, kSaveLayoutHelp)
        ->check(CLI::IsMember(SaveLayoutNames()));
    readCommand->callback([read, &action] { action = [read] { return RunRead(*read); }; });

    auto write = std::make_shared<WriteOptions>();
    CLI::App* writeCommand = sram->add_subcommand("write", "Write a .srm save file");
    AddDeviceOption(*writeCommand);
    writeCommand->add_option("SAVEFILE", write->saveFile, "Genesis save file")->required();
    writeCommand->add_flag("--no-verify", write->noVerify, "Do not read the blocks back");
    writeCommand
        ->add_option("--format", write->format,
                     "The save file's layout; auto (the default) tells it from the file")
        ->check(CLI::IsMember(SaveLayoutNames(true)));
    writeCommand->callback([write, &action] { action = [write] { return RunWrite(*write); }; });

    CLI::App* clearCommand = sram->add_subcommand("clear", "Fill the whole save RAM with zeros");
    AddDeviceOption(*clearCommand);
    clearCommand->callback([&action] { action = [] { return RunClear(); }; });

    AddSaveConvertCommand(*sram, action);
}

}  // namespace nuvrel::cli
