// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: LGPL-2.1-or-later

// The USB IDs the library takes as Velk devices: the built-in ones (usb_device_ids.h), then those
// in the system-wide ID file and in the user's own, one "VVVV:PPPP [description]" a line.
// Real hardware may report an ID nobody has told us yet; these files let a user add it without
// rebuilding.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velk {

struct ListedUsbId {
    std::uint16_t vendor = 0;
    std::uint16_t product = 0;
    std::string description;
    std::string source;  // "built-in" or the file it came from
};

struct UsbIdPair {
    std::uint16_t vendor = 0;
    std::uint16_t product = 0;
};

// "VVVV:PPPP", four hexadecimal digits on each side; nothing else.
std::optional<UsbIdPair> parseUsbIdPair(std::string_view text);

struct ParsedUsbIdFile {
    std::vector<ListedUsbId> ids;
    std::vector<std::string> problems;  // one message per bad line, naming file and line
};

// Blank lines and '#' comments (whole lines or after an entry) are skipped.
ParsedUsbIdFile parseUsbIdFile(std::string_view text, const std::string& fileName);

// The system-wide file, then the user's ($XDG_CONFIG_HOME, else ~/.config).
std::vector<std::string> usbIdFilePaths();

// Built-in IDs first, then each file's. A file's problems go to the message handler once per
// change of the file, so a program that enumerates often does not repeat them.
std::vector<ListedUsbId> listedUsbIds();

const ListedUsbId* findListedUsbId(const std::vector<ListedUsbId>& ids, std::uint16_t vendor,
                                   std::uint16_t product);

// Forgets which problems were already told (tests).
void resetUsbIdFileReports();

}  // namespace velk
