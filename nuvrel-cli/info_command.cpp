// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// nuvrel-cli info [--json]: what the device information page shows, plus model and capacities.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>

#include "cli_failure.h"
#include "commands.h"
#include "device_access.h"
#include "devinfo/device_report.h"
#include "engine/size_units.h"
#include "engine/status_text.h"
#include "engine/stored_name.h"
#include "json_output.h"
#include "printable_text.h"

namespace nuvrel::cli {
namespace {

// The report with both records read; blank versions printed as if they were the device's would be
// a failure shown as success.
struct ReadableReport {
    DeviceInfoRecord dataBus{};
    DeviceInfoRecord addressBus{};
    std::optional<std::uint32_t> eraseCounter;
    std::uint32_t romCapacity = 0;
    std::uint32_t saveRamValue = 0;
    std::string romName;
    std::string saveName;
};

ReadableReport ReadReport() {
    const DeviceReport report = ReadDeviceReport(ReportDetail::WithCapacities);
    if (!report.deviceFound) {
        throw DeviceUnavailable();
    }
    if (!report.dataBus || !report.addressBus || !report.capacitiesRead || !report.saveName) {
        throw CliFailure(kExitNoAnswer, NoAnswerAt(device_step::kDeviceInformation).status);
    }
    return ReadableReport{*report.dataBus,    *report.addressBus,  report.eraseCounter,
                          report.romCapacity, report.saveRamValue, *report.romName,
                          *report.saveName};
}

// The page's rule: the counter as a signed number.
std::int32_t SignedCounter(std::uint32_t counter) {
    return static_cast<std::int32_t>(counter);
}

std::string CounterText(const ReadableReport& report) {
    return report.eraseCounter ? std::to_string(SignedCounter(*report.eraseCounter)) : "no info";
}

void PrintText(const ReadableReport& report) {
    const auto line = [](const char* label, const std::string& value) {
        std::printf("  %-45s %s\n", label, Printable(value).c_str());
    };
    std::printf("Internal ROM/RAM info\n");
    line("Erasing rom(s) times (guaranded 1 000 000):", CounterText(report));
    line("Internal ROM chip(s):", RecordText(report.dataBus.text2));
    line("Internal RAM chip(s):", RecordText(report.dataBus.text3));
    std::printf("USB/Data BUS info\n");
    line("Firmware version:", RecordText(report.dataBus.firmwareVersion));
    line("Crystal name:", RecordText(report.dataBus.text1));
    line("BootLoader version:", RecordText(report.dataBus.bootVersion));
    std::printf("Address BUS info\n");
    line("Firmware version:", RecordText(report.addressBus.firmwareVersion));
    line("Crystal name:", RecordText(report.addressBus.text1));
    line("BootLoader version:", RecordText(report.addressBus.bootVersion));
    line("SCI Inmplement version:", RecordText(report.addressBus.addressText2));
    std::printf("Device\n");
    line("Model:", ModelLetter(report.dataBus));
    line("ROM capacity:", std::to_string(report.romCapacity) + " bytes (" +
                              DeviceSizeMBitText(report.romCapacity) + ")");
    line("Save RAM:", report.saveRamValue == 0
                          ? std::string("none")
                          : std::to_string(report.saveRamValue / 1024) + "Kbytes");
    line("ROM image name:", ShownStoredName(report.romName));
    line("Save file name:", ShownStoredName(report.saveName));
}

void PrintJson(const ReadableReport& report) {
    const auto controller = [](const DeviceInfoRecord& record, bool dataBus) {
        nlohmann::ordered_json json;
        json["firmwareVersion"] = RecordText(record.firmwareVersion);
        json["bootLoaderVersion"] = RecordText(record.bootVersion);
        json["crystalName"] = RecordText(record.text1);
        if (dataBus) {
            json["romChips"] = RecordText(record.text2);
            json["ramChips"] = RecordText(record.text3);
        } else {
            json["sciVersion"] = RecordText(record.addressText2);
        }
        return json;
    };
    nlohmann::ordered_json json;
    json["dataBus"] = controller(report.dataBus, true);
    json["addressBus"] = controller(report.addressBus, false);
    json["eraseCounter"] = report.eraseCounter
                               ? nlohmann::ordered_json(SignedCounter(*report.eraseCounter))
                               : nlohmann::ordered_json();
    json["model"] = ModelLetter(report.dataBus);
    json["romCapacity"] = report.romCapacity;
    json["saveRamValue"] = report.saveRamValue;
    json["romName"] = report.romName;
    json["saveName"] = report.saveName;
    std::printf("%s\n", JsonText(json).c_str());
}

}  // namespace

void AddInfoCommand(CLI::App& app, CommandAction& action) {
    auto json = std::make_shared<bool>(false);
    CLI::App* info = app.add_subcommand(
        "info", "Show firmware and boot loader versions, chips, erase counter and capacities");
    info->add_flag("--json", *json, "Print the information as JSON");
    AddDeviceOption(*info);
    info->callback([json, &action] {
        action = [json] {
            const ReadableReport report = ReadReport();
            if (*json) {
                PrintJson(report);
            } else {
                PrintText(report);
            }
            return static_cast<int>(kExitSuccess);
        };
    });
}

}  // namespace nuvrel::cli
