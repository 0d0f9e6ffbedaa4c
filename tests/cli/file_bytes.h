// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Whole files as bytes, for the images and saves the CLI is given and the files it writes.
#pragma once

#include <cstdint>
#include <filesystem>
#include <vector>

namespace clitest {

void WriteBytes(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes);
std::vector<std::uint8_t> ReadBytes(const std::filesystem::path& path);

}  // namespace clitest
