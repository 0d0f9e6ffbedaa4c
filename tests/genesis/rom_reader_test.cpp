// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "genesis/rom_reader.h"

#include <gtest/gtest.h>

#include <sys/resource.h>

#include <algorithm>
#include <csignal>
#include <cstring>
#include <string>
#include <vector>

#include "engine_run_fixture.h"
#include "genesis/genesis_header.h"

namespace nuvrel {
namespace {

using testing::ReadWholeFile;

class RomReaderTest : public testing::EngineRunTest {
  protected:
    void storeName(const char* text, std::uint8_t slot) {
        DeviceHandle device = OpenVelkDevice();
        ASSERT_NE(device, VELK_INVALID_DEVICE);
        char name[VELK_FILE_NAME_SIZE] = {};
        std::strncpy(name, text, sizeof name - 1);
        WriteFileName(device, name, slot);
        CloseVelkDevice(device);
    }
};

TEST_F(RomReaderTest, OutFileQueryShowsTheNameWithItsSpacesTheSizeAndTheStoredName) {
    plug();  // model c: 4 MiB + 1 byte
    std::string name = "SONIC THE HEDGEHOG";
    name.resize(48, ' ');
    sim().setRomBytes(0x120, std::vector<std::uint8_t>(name.begin(), name.end()));
    sim().setRomBytes(0x150, std::vector<std::uint8_t>{'O', 'V', 'E', 'R'});
    storeName("sonic.bin", VELK_SLOT_ROM_NAME);

    const DeviceRomInfo info = QueryDeviceRom();

    EXPECT_TRUE(info.deviceFound);
    EXPECT_EQ(info.domesticName, name);  // trailing spaces kept, nothing from 0x150
    EXPECT_EQ(info.romSize, 0x400001u);
    EXPECT_EQ(info.sizeText, "32MBit");
    EXPECT_EQ(info.storedName, "sonic.bin");
}

TEST_F(RomReaderTest, OutFileQueryWithoutDeviceSaysSo) {
    const DeviceRomInfo info = QueryDeviceRom();
    EXPECT_FALSE(info.deviceFound);
    EXPECT_TRUE(messages_.empty());  // the page shows its own message
}

TEST_F(RomReaderTest, ReadBackWritesTheWholeRomRoundedDownToKilobytes) {
    plug();  // model c reports 0x400001 bytes
    const auto rom = RandomBytes(0x400000, 31);
    sim().setRomBytes(0, rom);
    const auto out = folder_.file("dump.bin");

    const OperationOutcome outcome = ReadRom({out.string(), 0x400001}, sink_);

    ASSERT_EQ(outcome.result, OperationResult::Completed);
    EXPECT_EQ(outcome.status, "Read Complite");
    EXPECT_EQ(ReadWholeFile(out), rom);
    EXPECT_EQ(sink_.statuses(), (std::vector<std::string>{"Reading", "Read Complite"}));
    EXPECT_EQ(sink_.range(), 4096u);
    EXPECT_EQ(sink_.positions().size(), 4097u);
    EXPECT_EQ(sink_.positions()[4095], 4095u);
    EXPECT_EQ(sink_.positions().back(), 0u);
    EXPECT_EQ(sink_.sectors().front(), "0x0...");
    EXPECT_EQ(sink_.sectors().back(), "0xFFF...");  // kept after the run
    EXPECT_EQ(commands("Compatibility").front().parameter, 0x21u);
    EXPECT_EQ(sink_.count(Kind::TimerStart), 1u);
    EXPECT_EQ(sink_.count(Kind::TimerStop), 1u);
    EXPECT_EQ(folder_.entries(), std::vector<std::string>{"dump.bin"});
}

TEST_F(RomReaderTest, ReadBackOfAnOddLengthDropsThePartialKilobyte) {
    velksim::DeviceConfig config;
    config.model = 'm';
    plug(config);
    const auto rom = RandomBytes(0x2000, 32);
    sim().setRomBytes(0, rom);
    const auto out = folder_.file("part.bin");

    ReadRom({out.string(), 0x1BFF}, sink_);

    EXPECT_EQ(ReadWholeFile(out), std::vector<std::uint8_t>(rom.begin(), rom.begin() + 0x1800));
    EXPECT_TRUE(commands("Compatibility").empty());  // model m is not the Brivo model
    const auto reads = commands("ReadSector");
    ASSERT_EQ(reads.size(), 6u);
    EXPECT_EQ(reads[5].address, 0xA00u);
    EXPECT_EQ(reads[5].count, 16u);
}

TEST_F(RomReaderTest, ZeroLengthCreatesAnEmptyFileAndCompletes) {
    plug();
    const auto out = folder_.file("empty.bin");
    const OperationOutcome outcome = ReadRom({out.string(), 0}, sink_);
    EXPECT_EQ(outcome.status, "Read Complite");
    EXPECT_TRUE(std::filesystem::exists(out));
    EXPECT_EQ(std::filesystem::file_size(out), 0u);
}

TEST_F(RomReaderTest, UnpluggingInMidReadKeepsTheOldFileUntouched) {
    plug();
    const auto out = folder_.file("keep.bin");
    const std::vector<std::uint8_t> old = RandomBytes(5000, 33);
    folder_.write("keep.bin", old);
    velksim::FaultOptions faults;
    faults.disconnectAfterTransfers = 2 * 10;  // ten kilobytes get through
    faultsFrom("Reading", faults);

    const OperationOutcome outcome = ReadRom({out.string(), 0x400000}, sink_);

    EXPECT_EQ(outcome.result, OperationResult::ReadFailed);
    EXPECT_EQ(outcome.failingOffset, 0x2800u);
    EXPECT_EQ(outcome.status, "Read error at: 0x002800");
    EXPECT_EQ(sink_.statuses().back(), "Read error at: 0x002800");
    EXPECT_EQ(ReadWholeFile(out), old);
    EXPECT_EQ(folder_.entries(), std::vector<std::string>{"keep.bin"});  // no leftovers
    EXPECT_EQ(sink_.positions().back(), 0u);
    EXPECT_EQ(sink_.count(Kind::TimerStop), 1u);
}

// Files of this process may not grow past a limit, as if the disk were full.
class FileSizeLimit {
  public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &previous_);
        std::signal(SIGXFSZ, SIG_IGN);  // a failing write instead of a signal
        rlimit limit = previous_;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &previous_); }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

  private:
    rlimit previous_{};
};

TEST_F(RomReaderTest, FullDiskFailsTheReadBackAndKeepsTheOldFile) {
    plug();
    const auto out = folder_.file("dump.bin");
    const std::vector<std::uint8_t> old(100, 0x42);
    folder_.write("dump.bin", old);

    OperationOutcome outcome;
    {
        FileSizeLimit limit(16 * 1024);
        outcome = ReadRom({out.string(), 0x40000}, sink_);
    }

    EXPECT_EQ(outcome.result, OperationResult::FileWriteFailed);
    EXPECT_EQ(outcome.status, "Can't write file!");
    EXPECT_EQ(sink_.statuses().back(), "Can't write file!");
    EXPECT_EQ(ReadWholeFile(out), old);
    EXPECT_EQ(folder_.entries(), std::vector<std::string>{"dump.bin"});
}

TEST_F(RomReaderTest, ReadBackIntoAFileWithTheLongestNameTheSystemAllows) {
    plug();
    const std::string name = std::string(251, 'n') + ".bin";  // 255 characters
    const auto out = folder_.file(name);
    const auto rom = RandomBytes(0x2000, 34);
    sim().setRomBytes(0, rom);

    const OperationOutcome outcome = ReadRom({out.string(), 0x2000}, sink_);

    ASSERT_EQ(outcome.result, OperationResult::Completed);
    EXPECT_EQ(ReadWholeFile(out), rom);
    EXPECT_EQ(folder_.entries(), std::vector<std::string>{name});
}

TEST_F(RomReaderTest, OutputThatCannotBeCreatedEndsQuietly) {
    plug();
    const auto out = folder_.file("no-such-folder") / "dump.bin";
    const OperationOutcome outcome = ReadRom({out.string(), 0x400000}, sink_);
    EXPECT_EQ(outcome.result, OperationResult::FileNotOpened);
    EXPECT_TRUE(sink_.statuses().empty());
    EXPECT_EQ(sink_.count(Kind::TimerStart), 1u);
    EXPECT_EQ(sink_.count(Kind::TimerStop), 1u);
    EXPECT_TRUE(commands("ReadSector").empty());
}

TEST_F(RomReaderTest, NoDeviceEndsQuietly) {
    const auto out = folder_.file("dump.bin");
    const OperationOutcome outcome = ReadRom({out.string(), 0x400000}, sink_);
    EXPECT_EQ(outcome.result, OperationResult::NoDevice);
    EXPECT_TRUE(sink_.events().empty());
    EXPECT_FALSE(std::filesystem::exists(out));
}

TEST_F(RomReaderTest, DeviceHeaderComesFromWord0x80WithTheStoredName) {
    plug();
    std::vector<std::uint8_t> header(192, ' ');
    std::memcpy(header.data(), "SEGA GENESIS    ", 16);
    header[0x8E] = 0x12;
    header[0x8F] = 0x34;
    sim().setRomBytes(0x100, header);
    storeName("sonic.bin", VELK_SLOT_ROM_NAME);

    const DeviceHeaderRead read = ReadGenesisHeaderFromDevice();

    ASSERT_TRUE(read.header.has_value());
    EXPECT_EQ(read.fileName, "sonic.bin");
    const GenesisHeaderFields fields = FormatGenesisHeader(*read.header);
    EXPECT_EQ(fields.systemName, "SEGA GENESIS    ");
    EXPECT_EQ(fields.checksum, "0x1234");
    const auto reads = commands("ReadSector");
    ASSERT_EQ(reads.size(), 1u);
    EXPECT_EQ(reads[0].address, 0x80u);
    EXPECT_EQ(reads[0].count, 3u);
    EXPECT_EQ(commands("Compatibility").front().parameter, 0x21u);
}

TEST_F(RomReaderTest, DeviceHeaderWithoutStoredNameSaysNotApplicable) {
    plug();
    const DeviceHeaderRead read = ReadGenesisHeaderFromDevice();
    EXPECT_TRUE(read.deviceFound);
    EXPECT_EQ(read.fileName, "Not applicable");
    EXPECT_TRUE(read.header.has_value());
}

TEST_F(RomReaderTest, DeviceHeaderWithoutDeviceHasNothing) {
    const DeviceHeaderRead read = ReadGenesisHeaderFromDevice();
    EXPECT_FALSE(read.deviceFound);
    EXPECT_FALSE(read.header.has_value());
}

}  // namespace
}  // namespace nuvrel
