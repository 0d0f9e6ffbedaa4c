// Small Genesis ROM images with a valid header, for tests that program them.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace clitest {

// size bytes: vectors, the header ("SEGA MEGA DRIVE", names, ROM range, checksum) and a pattern.
std::vector<std::uint8_t> MakeGenesisImage(std::size_t size, const std::string& domesticName);

void WriteBytes(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes);
std::vector<std::uint8_t> ReadBytes(const std::filesystem::path& path);

}  // namespace clitest
