// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#include "usb/usb_id_list.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <system_error>

#include "messages/message_handler.h"
#include "usb/system_root.h"
#include "usb/usb_device_ids.h"

namespace velk {

namespace {

// An ID file is a handful of lines; anything this large is not one.
constexpr std::uintmax_t kLargestIdFile = 64 * 1024;

std::optional<std::uint16_t> parseHex4(std::string_view text) {
    if (text.size() != 4) {
        return std::nullopt;
    }
    unsigned value = 0;
    for (const char c : text) {
        value <<= 4;
        if (c >= '0' && c <= '9') {
            value |= static_cast<unsigned>(c - '0');
        } else if (c >= 'a' && c <= 'f') {
            value |= static_cast<unsigned>(c - 'a' + 10);
        } else if (c >= 'A' && c <= 'F') {
            value |= static_cast<unsigned>(c - 'A' + 10);
        } else {
            return std::nullopt;
        }
    }
    return static_cast<std::uint16_t>(value);
}

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r';
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && isBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && isBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

// Bad lines are quoted in messages; keep the quote short and free of control characters.
std::string quoted(std::string_view text) {
    constexpr std::size_t kLongestQuote = 40;
    std::string shown;
    for (const char c : text.substr(0, kLongestQuote)) {
        const auto byte = static_cast<unsigned char>(c);
        shown += (byte < 0x20 || byte >= 0x7f) ? '?' : c;
    }
    if (text.size() > kLongestQuote) {
        shown += "...";
    }
    return "\"" + shown + "\"";
}

struct FileRead {
    bool present = false;
    std::string text;
    std::string problem;
};

FileRead readIdFile(const std::string& path) {
    FileRead result;
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(path, error);
    if (error || !std::filesystem::exists(status)) {
        return result;
    }
    result.present = true;
    if (!std::filesystem::is_regular_file(status)) {
        result.problem = "USB ID file " + path + " is not a regular file; ignored";
        return result;
    }
    const std::uintmax_t size = std::filesystem::file_size(path, error);
    if (error || size > kLargestIdFile) {
        result.problem = "USB ID file " + path + " is larger than 64 KiB; ignored";
        return result;
    }
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        result.problem = "USB ID file " + path + " cannot be read; ignored";
        return result;
    }
    result.text.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    return result;
}

// What was last told for each file, so a problem is told again only when the file changes.
std::map<std::string, std::string>& toldProblems() {
    static std::map<std::string, std::string> told;
    return told;
}

void tellOnce(const std::string& path, const std::vector<std::string>& problems) {
    std::string all;
    for (const std::string& problem : problems) {
        all += problem + "\n";
    }
    std::string& told = toldProblems()[path];
    if (all == told) {
        return;
    }
    told = all;
    for (const std::string& problem : problems) {
        showLibraryMessage("", problem.c_str(), VELK_ICON_ERROR);
    }
}

}  // namespace

std::optional<UsbIdPair> parseUsbIdPair(std::string_view text) {
    if (text.size() != 9 || text[4] != ':') {
        return std::nullopt;
    }
    const auto vendor = parseHex4(text.substr(0, 4));
    const auto product = parseHex4(text.substr(5, 4));
    if (!vendor || !product) {
        return std::nullopt;
    }
    return UsbIdPair{*vendor, *product};
}

ParsedUsbIdFile parseUsbIdFile(std::string_view text, const std::string& fileName) {
    ParsedUsbIdFile parsed;
    int lineNumber = 0;
    while (!text.empty() || lineNumber == 0) {
        ++lineNumber;
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        const std::size_t comment = line.find('#');
        line = trimmed(line.substr(0, comment));
        if (line.empty()) {
            continue;
        }
        std::size_t idEnd = 0;
        while (idEnd < line.size() && !isBlank(line[idEnd])) {
            ++idEnd;
        }
        const auto id = parseUsbIdPair(line.substr(0, idEnd));
        if (!id) {
            parsed.problems.push_back("USB ID file " + fileName + ", line " +
                                      std::to_string(lineNumber) + ": " + quoted(line) +
                                      " is not VVVV:PPPP (hexadecimal) [description]; skipped");
            continue;
        }
        parsed.ids.push_back(
            {id->vendor, id->product, std::string(trimmed(line.substr(idEnd))), fileName});
    }
    return parsed;
}

std::vector<std::string> usbIdFilePaths() {
    std::vector<std::string> paths{systemPath("/etc/velk-series/usb-ids")};
    const char* config = std::getenv("XDG_CONFIG_HOME");
    const char* home = std::getenv("HOME");
    if (config != nullptr && config[0] == '/') {
        paths.push_back(std::string(config) + "/velk-series/usb-ids");
    } else if (home != nullptr && home[0] == '/') {
        paths.push_back(std::string(home) + "/.config/velk-series/usb-ids");
    }
    return paths;
}

std::vector<ListedUsbId> listedUsbIds() {
    std::vector<ListedUsbId> ids;
    for (const UsbDeviceId& id : kUsbDeviceIds) {
        ids.push_back({id.vendor, id.product, id.model, "built-in"});
    }
    for (const std::string& path : usbIdFilePaths()) {
        const FileRead file = readIdFile(path);
        if (!file.present) {
            toldProblems().erase(path);
            continue;
        }
        if (!file.problem.empty()) {
            tellOnce(path, {file.problem});
            continue;
        }
        ParsedUsbIdFile parsed = parseUsbIdFile(file.text, path);
        tellOnce(path, parsed.problems);
        for (ListedUsbId& id : parsed.ids) {
            if (findListedUsbId(ids, id.vendor, id.product) == nullptr) {
                ids.push_back(std::move(id));
            }
        }
    }
    return ids;
}

const ListedUsbId* findListedUsbId(const std::vector<ListedUsbId>& ids, std::uint16_t vendor,
                                   std::uint16_t product) {
    for (const ListedUsbId& id : ids) {
        if (id.vendor == vendor && id.product == product) {
            return &id;
        }
    }
    return nullptr;
}

void resetUsbIdFileReports() {
    toldProblems().clear();
}

}  // namespace velk
