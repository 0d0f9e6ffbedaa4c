// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Sector tables, erase, program and read through the library, checked against what the virtual
// device's flash and save RAM really hold.
#include <ostream>
#include <string>

#include "sim_fixture.h"

namespace velksim_test {
namespace {

using velksim::DeviceConfig;

struct ChipSet {
    std::uint32_t chip0;
    std::uint32_t chip1;
    int rows;
    std::uint32_t lastWordAddress;
};

// Names the case in test listings as its two chip identifiers.
void PrintTo(const ChipSet& set, std::ostream* out) {
    *out << std::hex << std::uppercase << set.chip0 << "+" << set.chip1;
}

class SectorDetection : public SimTest, public ::testing::WithParamInterface<ChipSet> {};

int rowsInUse(const SectorTable& table) {
    int rows = 0;
    while (rows < VELK_SECTOR_TABLE_ROWS && table[rows].name[0] != 0) {
        ++rows;
    }
    return rows;
}

TEST_P(SectorDetection, TableMatchesTheChipsTheDeviceCarries) {
    const ChipSet& set = GetParam();
    DeviceConfig config;
    config.chips = {set.chip0, set.chip1};
    plugIn(config);
    SectorTable table{};
    EraseHint hint = 0;
    ASSERT_TRUE(DetectSectorsTables(device(), table, &hint));
    const int rows = rowsInUse(table);
    ASSERT_EQ(rows, set.rows);
    EXPECT_EQ(table[rows - 1].wordAddress, set.lastWordAddress);
    EXPECT_EQ(hint, VELK_ERASE_HINT_QUERIED);
    // Every row's start is a real sector start on the device: erasing it touches that sector
    // only (checked on the first and last rows).
    for (int row : {0, rows - 1}) {
        ASSERT_TRUE(EraseSector(device(), table[row].wordAddress, 1, VELK_ERASE_SECTOR));
        EXPECT_EQ(sim().sectorEraseCount(table[row].wordAddress * 2), 1u);
    }
    EXPECT_TRUE(sim().protocolErrors().empty()) << sim().protocolErrors().front();
}

INSTANTIATE_TEST_SUITE_P(
    KnownChips, SectorDetection,
    ::testing::Values(ChipSet{velksim::kChip32MbitBottomA, velksim::kNoChip, 71, 0x1F8000},
                      ChipSet{velksim::kChip32MbitTop, velksim::kNoChip, 71, 0x1FF000},
                      ChipSet{velksim::kChip16MbitA, velksim::kChip16MbitA, 70, 0x1F8000},
                      ChipSet{velksim::kChip32MbitBottomB, velksim::kChipMx29lv160B, 74, 0x1F8000},
                      ChipSet{velksim::kChip16MbitB, velksim::kNoChip, 35, 0x0F8000}));

class ChipIdentity : public SimTest {};

TEST_F(ChipIdentity, QueriedIdentifiersCombineAsTheLibraryReadsThem) {
    DeviceConfig config;
    config.chips = {velksim::kChipMx29lv160B, velksim::kChip16MbitB};
    plugIn(config);
    EXPECT_EQ(ReadRomID(device(), 0, nullptr), 0xC2004922u);
    EXPECT_EQ(ReadRomID(device(), 1, nullptr), 0x0100C422u);
}

TEST_F(ChipIdentity, Mx29lv160TextNamesTheChipsWithoutAQuery) {
    plugIn(DeviceConfig::withMx29lv160Text("TB"));
    sim().clearCommandLog();
    EraseHint hint = 0;
    EXPECT_EQ(ReadRomID(device(), 0, &hint), 0xC200C422u);
    EXPECT_EQ(ReadRomID(device(), 1, &hint), 0xC2004922u);
    EXPECT_EQ(hint, VELK_ERASE_HINT_TEXT_CHIP);
    for (const auto& record : sim().commandLog()) {
        EXPECT_NE(record.name, "ReadRomID");
    }
}

TEST_F(ChipIdentity, UnknownChipIsReportedAndNoTableIsBuilt) {
    DeviceConfig config;
    config.chips = {0x12345678u, velksim::kNoChip};
    plugIn(config);
    std::string message;
    SetVelkMessageHandler([](void* context, const char*, const char* text,
                             int) { *static_cast<std::string*>(context) = text; },
                          &message);
    SectorTable table{};
    EXPECT_FALSE(DetectSectorsTables(device(), table, nullptr));
    EXPECT_EQ(table[0].name[0], 0);
    EXPECT_NE(message.find("[12345678][00000000]"), std::string::npos) << message;
}

class FlashProgramming : public SimTest {};

TEST_F(FlashProgramming, EraseThenWriteThenReadGivesTheDataBack) {
    plugIn();
    ASSERT_TRUE(EraseSector(device(), 0x8000, 1, VELK_ERASE_SECTOR));  // 64 KiB at 0x10000
    const Bytes data = pattern(1024, 1);
    ASSERT_TRUE(WriteSector(device(), data.data(), 0x8000, 8));
    ASSERT_TRUE(WriteSector(device(), data.data() + 512, 0x8100, 8));
    Bytes back(1024);
    ASSERT_TRUE(ReadSector(device(), back.data(), 0x8000, 16));
    EXPECT_EQ(back, data);
    EXPECT_EQ(sim().romBytes(0x10000, 1024), data);
    EXPECT_EQ(sim().programmedBlocks(), 2u);
    EXPECT_EQ(sim().timesProgrammed(0x10000), 1u);
    EXPECT_TRUE(sim().protocolErrors().empty());
}

TEST_F(FlashProgramming, WriteWithoutEraseGivesAndedDataAndIsFlagged) {
    plugIn();
    ASSERT_TRUE(EraseSector(device(), 0, 1, VELK_ERASE_SECTOR));
    Bytes first(512, 0xF0);
    Bytes second(512, 0x3C);
    ASSERT_TRUE(WriteSector(device(), first.data(), 0, 8));
    ASSERT_TRUE(WriteSector(device(), second.data(), 0, 8));
    Bytes back(512);
    ASSERT_TRUE(ReadSector(device(), back.data(), 0, 8));
    EXPECT_EQ(back, Bytes(512, 0x30));
    EXPECT_EQ(sim().timesProgrammed(0), 2u);
    ASSERT_FALSE(sim().protocolErrors().empty());
    EXPECT_NE(sim().protocolErrors().back().find("not erased"), std::string::npos);
}

TEST_F(FlashProgramming, SectorEraseClearsOnlyItsSector) {
    plugIn();
    ASSERT_TRUE(EraseSector(device(), 0x555, 1, VELK_ERASE_CHIP));
    const Bytes zeros(512, 0x00);
    ASSERT_TRUE(WriteSector(device(), zeros.data(), 0x0F00, 8));  // end of SA00 (8 KiB)
    ASSERT_TRUE(WriteSector(device(), zeros.data(), 0x1000, 8));  // start of SA01
    ASSERT_TRUE(EraseSector(device(), 0x1000, 1, VELK_ERASE_SECTOR));
    EXPECT_EQ(sim().romBytes(0x1E00, 512), zeros);
    EXPECT_EQ(sim().romBytes(0x2000, 512), Bytes(512, 0xFF));
    EXPECT_EQ(sim().sectorEraseCount(0x2000), 2u);  // chip erase and sector erase
    EXPECT_EQ(sim().sectorEraseCount(0x0000), 1u);
}

TEST_F(FlashProgramming, ChipEraseOfTheSecondChipLeavesTheFirstAlone) {
    DeviceConfig config;
    config.chips = {velksim::kChip16MbitA, velksim::kChipMx29lv160B};
    plugIn(config);
    const Bytes zeros(512, 0x00);
    ASSERT_TRUE(EraseSector(device(), VELK_CHIP0_COMMAND_ADDRESS, 1, VELK_ERASE_CHIP));
    ASSERT_TRUE(EraseSector(device(), VELK_CHIP1_COMMAND_ADDRESS, 1, VELK_ERASE_CHIP));
    ASSERT_TRUE(WriteSector(device(), zeros.data(), 0, 8));
    ASSERT_TRUE(WriteSector(device(), zeros.data(), 0x100000, 8));
    ASSERT_TRUE(EraseSector(device(), VELK_CHIP1_COMMAND_ADDRESS, 1, VELK_ERASE_CHIP));
    EXPECT_EQ(sim().romBytes(0, 512), zeros);
    EXPECT_EQ(sim().romBytes(0x200000, 512), Bytes(512, 0xFF));
    EXPECT_EQ(sim().chipEraseCount(0), 1u);
    EXPECT_EQ(sim().chipEraseCount(1), 2u);
}

TEST_F(FlashProgramming, EraseThatTakesPollsIsWaitedFor) {
    DeviceConfig config;
    config.erasePolls = 3;
    plugIn(config);
    const Bytes zeros(512, 0x00);
    ASSERT_TRUE(WriteSector(device(), zeros.data(), 0, 8));
    sim().clearCommandLog();
    ASSERT_TRUE(EraseSector(device(), 0, 1, VELK_ERASE_SECTOR));
    int polls = 0;
    for (const auto& record : sim().commandLog()) {
        polls += record.name == "EraseStatus" ? 1 : 0;
    }
    EXPECT_EQ(polls, 3);
    EXPECT_EQ(sim().romBytes(0, 512), Bytes(512, 0xFF));
}

TEST_F(FlashProgramming, WeakCellNeverProgramsSoAReadBackDiffers) {
    DeviceConfig config;
    config.faults.weakCellByteAddress = 0x123;
    plugIn(config);
    ASSERT_TRUE(EraseSector(device(), 0, 1, VELK_ERASE_SECTOR));
    const Bytes data(512, 0x5A);
    ASSERT_TRUE(WriteSector(device(), data.data(), 0, 8));
    Bytes back(512);
    ASSERT_TRUE(ReadSector(device(), back.data(), 0, 8));
    EXPECT_EQ(back[0x123], 0xFF);
    back[0x123] = 0x5A;
    EXPECT_EQ(back, data);
}

class SaveRam : public SimTest {};

TEST_F(SaveRam, SaveBytesSitAtOddAddressesOfTheWindow) {
    DeviceConfig config;
    config.model = 'e';
    plugIn(config);
    Bytes block(256);
    for (std::size_t i = 0; i < block.size(); ++i) {
        block[i] = static_cast<std::uint8_t>(i);
    }
    ASSERT_TRUE(WriteRamSector(device(), block.data(), 0x100000 + 0x80, 4));  // byte 0x200100
    const Bytes save = sim().saveRam();
    EXPECT_EQ(save[0x80], 1);  // window byte 0x101
    EXPECT_EQ(save[0x80 + 127], 255);
    EXPECT_EQ(save[0x7F], 0xFF);  // untouched neighbour

    Bytes back(256);
    ASSERT_TRUE(ReadSector(device(), back.data(), 0x100000 + 0x80, 4));
    for (std::size_t i = 0; i < back.size(); ++i) {
        const std::uint8_t expected = (i & 1) ? block[i] : velksim::kSaveRamEvenByte;
        ASSERT_EQ(back[i], expected) << "window offset " << i;
    }
    EXPECT_TRUE(sim().protocolErrors().empty());
}

TEST_F(SaveRam, ModelCShowsSaveRamOnlyAfterTheSaveRamCompatibilityValue) {
    plugIn();  // model c
    const Bytes zeros(512, 0x00);
    ASSERT_TRUE(EraseSector(device(), 0x100000, 1, VELK_ERASE_SECTOR));
    ASSERT_TRUE(WriteSector(device(), zeros.data(), 0x100000, 8));  // ROM at byte 0x200000
    Bytes save(velksim::kSaveRamBytes, 0x11);
    sim().setSaveRam(save);

    Bytes back(64);
    ASSERT_TRUE(ReadSector(device(), back.data(), 0x100000, 1));
    EXPECT_EQ(back, Bytes(64, 0x00));  // power-up: ROM
    Compatibility(device(), VELK_COMPAT_SAVE_RAM_MODE);
    EXPECT_EQ(sim().window(), velksim::Window::SaveRam);
    ASSERT_TRUE(ReadSector(device(), back.data(), 0x100000, 1));
    EXPECT_EQ(back[1], 0x11);
    EXPECT_EQ(back[0], velksim::kSaveRamEvenByte);
    Compatibility(device(), VELK_COMPAT_ROM_MODE);
    ASSERT_TRUE(ReadSector(device(), back.data(), 0x100000, 1));
    EXPECT_EQ(back, Bytes(64, 0x00));
}

TEST_F(SaveRam, RamWriteWhileTheWindowShowsRomChangesNothing) {
    plugIn();  // model c, window on ROM
    const Bytes data(256, 0x42);
    ASSERT_TRUE(WriteRamSector(device(), data.data(), 0x100000, 4));
    EXPECT_EQ(sim().saveRam(), Bytes(velksim::kSaveRamBytes, 0xFF));
    EXPECT_EQ(sim().romBytes(0x200000, 256), Bytes(256, 0xFF));
    ASSERT_FALSE(sim().protocolErrors().empty());
    EXPECT_NE(sim().protocolErrors().back().find("window shows ROM"), std::string::npos);
}

}  // namespace
}  // namespace velksim_test
