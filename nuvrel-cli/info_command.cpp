// nuvrel-cli info [--json]: what the device information page shows, plus model and capacities.
#include <velk_series/velk_series.h>
#include <CLI/CLI.hpp>

#include <cstdio>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>

#include "cli_failure.h"
#include "commands.h"
#include "device_access.h"
#include "printable_text.h"

namespace nuvrel::cli {
namespace {

struct DeviceReport {
    DeviceInfoRecord dataBus{};
    DeviceInfoRecord addressBus{};
    bool counterRead = false;
    std::int32_t eraseCounter = 0;
    std::uint32_t romCapacity = 0;
    std::uint32_t saveRamValue = 0;
};

// Copies a fixed-size record field, which may lack its terminator.
template <std::size_t N>
std::string FieldText(const char (&field)[N]) {
    std::size_t length = 0;
    while (length < N && field[length] != '\0') {
        ++length;
    }
    return std::string(field, length);
}

DeviceReport ReadReport() {
    RequireDeviceIdle();
    OpenDevice device;
    DeviceReport report;
    // Blank versions printed as if they were the device's would be a failure shown as success.
    if (ReadDeviceInfo(device.handle(), &report.dataBus, VELK_SELECTOR_DATA_BUS) == 0 ||
        ReadDeviceInfo(device.handle(), &report.addressBus, VELK_SELECTOR_ADDRESS_BUS) == 0) {
        throw CliFailure(kExitFailed, "Can't read the device information");
    }
    std::uint32_t counter = 0;
    report.counterRead = ReadErasingCount(device.handle(), &counter, 0) != 0;
    report.eraseCounter = static_cast<std::int32_t>(counter);
    report.romCapacity = GetMaxSize(device.handle(), &report.saveRamValue, 0);
    return report;
}

std::string ModelLetter(const DeviceReport& report) {
    const char letter = report.dataBus.firmwareVersion[8];
    return letter == '\0' ? std::string() : std::string(1, letter);
}

std::string CounterText(const DeviceReport& report) {
    return report.counterRead ? std::to_string(report.eraseCounter) : "no info";
}

void PrintText(const DeviceReport& report) {
    const auto line = [](const char* label, const std::string& value) {
        std::printf("  %-45s %s\n", label, Printable(value).c_str());
    };
    std::printf("Internal ROM/RAM info\n");
    line("Erasing rom(s) times (guaranded 1 000 000):", CounterText(report));
    line("Internal ROM chip(s):", FieldText(report.dataBus.text2));
    line("Internal RAM chip(s):", FieldText(report.dataBus.text3));
    std::printf("USB/Data BUS info\n");
    line("Firmware version:", FieldText(report.dataBus.firmwareVersion));
    line("Crystal name:", FieldText(report.dataBus.text1));
    line("BootLoader version:", FieldText(report.dataBus.bootVersion));
    std::printf("Address BUS info\n");
    line("Firmware version:", FieldText(report.addressBus.firmwareVersion));
    line("Crystal name:", FieldText(report.addressBus.text1));
    line("BootLoader version:", FieldText(report.addressBus.bootVersion));
    line("SCI Inmplement version:", FieldText(report.addressBus.addressText2));
    std::printf("Device\n");
    line("Model:", ModelLetter(report));
    line("ROM capacity:", std::to_string(report.romCapacity) + " bytes (" +
                              std::to_string(report.romCapacity / 131072) + "MBit)");
    line("Save RAM:", report.saveRamValue == 0
                          ? std::string("none")
                          : std::to_string(report.saveRamValue / 1024) + "Kbytes");
}

void PrintJson(const DeviceReport& report) {
    const auto controller = [](const DeviceInfoRecord& record, bool dataBus) {
        nlohmann::ordered_json json;
        json["firmwareVersion"] = FieldText(record.firmwareVersion);
        json["bootLoaderVersion"] = FieldText(record.bootVersion);
        json["crystalName"] = FieldText(record.text1);
        if (dataBus) {
            json["romChips"] = FieldText(record.text2);
            json["ramChips"] = FieldText(record.text3);
        } else {
            json["sciVersion"] = FieldText(record.addressText2);
        }
        return json;
    };
    nlohmann::ordered_json json;
    json["dataBus"] = controller(report.dataBus, true);
    json["addressBus"] = controller(report.addressBus, false);
    json["eraseCounter"] =
        report.counterRead ? nlohmann::ordered_json(report.eraseCounter) : nlohmann::ordered_json();
    json["model"] = ModelLetter(report);
    json["romCapacity"] = report.romCapacity;
    json["saveRamValue"] = report.saveRamValue;
    std::printf("%s\n", json.dump(2, ' ', false, nlohmann::json::error_handler_t::replace).c_str());
}

}  // namespace

void AddInfoCommand(CLI::App& app, CommandAction& action) {
    auto json = std::make_shared<bool>(false);
    CLI::App* info = app.add_subcommand(
        "info", "Show firmware and boot loader versions, chips, erase counter and capacities");
    info->add_flag("--json", *json, "Print the information as JSON");
    info->callback([json, &action] {
        action = [json] {
            const DeviceReport report = ReadReport();
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
