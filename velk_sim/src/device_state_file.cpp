// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "device_state_file.h"

#include <cstdio>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace velksim {

namespace {

std::string escapeName(const std::array<std::uint8_t, 64>& name) {
    std::size_t used = name.size();
    while (used > 0 && name[used - 1] == 0) {
        --used;
    }
    std::string text;
    for (std::size_t i = 0; i < used; ++i) {
        const std::uint8_t c = name[i];
        if (c >= 0x20 && c < 0x7F && c != '\\') {
            text.push_back(static_cast<char>(c));
        } else {
            char escaped[5];
            std::snprintf(escaped, sizeof(escaped), "\\x%02X", c);
            text += escaped;
        }
    }
    return text;
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return -1;
}

std::array<std::uint8_t, 64> unescapeName(const std::string& text, const std::string& key) {
    std::array<std::uint8_t, 64> name{};
    std::size_t out = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (out == name.size()) {
            throw std::runtime_error("state file: " + key + " is longer than 64 bytes");
        }
        std::uint8_t c = static_cast<std::uint8_t>(text[i]);
        if (c == '\\') {
            const bool complete = i + 3 < text.size() && text[i + 1] == 'x';
            const int high = complete ? hexDigit(text[i + 2]) : -1;
            const int low = high >= 0 ? hexDigit(text[i + 3]) : -1;
            if (low < 0) {
                throw std::runtime_error("state file: bad escape in " + key);
            }
            c = static_cast<std::uint8_t>(high * 16 + low);
            i += 3;
        }
        name[out++] = c;
    }
    return name;
}

std::uint32_t parseNumber(const std::string& text, int base, const std::string& key) {
    try {
        std::size_t used = 0;
        const unsigned long value = std::stoul(text, &used, base);
        if (used != text.size() || value > 0xFFFFFFFFul) {
            throw std::invalid_argument(key);
        }
        return static_cast<std::uint32_t>(value);
    } catch (const std::exception&) {
        throw std::runtime_error("state file: bad value for " + key + ": " + text);
    }
}

}  // namespace

bool loadDeviceState(const std::filesystem::path& file, DeviceStateValues& values) {
    std::ifstream in(file);
    if (!in) {
        if (std::filesystem::exists(file)) {
            throw std::runtime_error("cannot read " + file.string());
        }
        return false;
    }
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') {
            continue;
        }
        const std::size_t equals = line.find('=');
        if (equals == std::string::npos) {
            throw std::runtime_error("state file: not key=value: " + line);
        }
        const std::string key = line.substr(0, equals);
        const std::string value = line.substr(equals + 1);
        if (key == "eraseCounter") {
            values.eraseCounter = parseNumber(value, 16, key);
        } else if (key == "compatibilitySet") {
            values.compatibilitySet = static_cast<std::uint8_t>(parseNumber(value, 10, key) & 3u);
        } else if (key.size() == 5 && key.compare(0, 4, "name") == 0 && key[4] >= '0' &&
                   key[4] <= '2') {
            values.names[static_cast<std::size_t>(key[4] - '0')] = unescapeName(value, key);
        }
        // Unknown keys are left for newer versions of the simulator.
    }
    return true;
}

void saveDeviceState(const std::filesystem::path& file, const DeviceStateValues& values) {
    std::ostringstream text;
    char counter[9];
    std::snprintf(counter, sizeof(counter), "%08X", values.eraseCounter);
    text << "# velk-sim device state\n";
    text << "eraseCounter=" << counter << "\n";
    text << "compatibilitySet=" << static_cast<unsigned>(values.compatibilitySet) << "\n";
    for (std::size_t slot = 0; slot < values.names.size(); ++slot) {
        text << "name" << slot << "=" << escapeName(values.names[slot]) << "\n";
    }
    std::filesystem::path aside = file;
    aside += ".new";
    {
        std::ofstream out(aside, std::ios::trunc);
        out << text.str();
        out.flush();
        if (!out) {
            throw std::runtime_error("cannot write " + aside.string());
        }
    }
    std::error_code error;
    std::filesystem::rename(aside, file, error);
    if (error) {
        throw std::runtime_error("cannot replace " + file.string() + ": " + error.message());
    }
}

}  // namespace velksim
