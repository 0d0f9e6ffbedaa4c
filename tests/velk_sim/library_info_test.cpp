// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The library's identity and information commands against the virtual device.
#include <cstring>
#include <ostream>

#include "sim_fixture.h"

namespace velksim_test {
namespace {

using velksim::DeviceConfig;

class DeviceInformation : public SimTest {};

TEST_F(DeviceInformation, DataBusRecordCarriesVersionsModelAndTexts) {
    DeviceConfig config;
    config.dataBusFirmware = {0x02, 0x06, 0x09, '?'};
    config.dataBusBoot = {0x01, 0x0A, 0x00, 'b'};
    config.dataBusCrystal = "12.000MHz";
    config.romChipText = "AM29LV320DB";
    config.ramChipText = "FM18W08";
    plugIn(config);

    DeviceInfoRecord record;
    ASSERT_TRUE(ReadDeviceInfo(device(), &record, VELK_SELECTOR_DATA_BUS));
    EXPECT_STREQ(record.firmwareVersion, "02.06.09c");  // the suffix is the model letter
    EXPECT_STREQ(record.bootVersion, "01.0A.00b");
    EXPECT_STREQ(record.text1, "12.000MHz");
    EXPECT_STREQ(record.text2, "AM29LV320DB");
    EXPECT_STREQ(record.text3, "FM18W08");
    EXPECT_STREQ(record.addressText2, "");
    EXPECT_TRUE(CompareVersion(record, 2, 6, 9));
    EXPECT_FALSE(CompareVersion(record, 2, 6, 10));
}

TEST_F(DeviceInformation, AddressBusRecordCarriesItsOwnVersionsAndSciText) {
    DeviceConfig config;
    config.addressBusFirmware = {0x01, 0x03, 0x02, 'a'};
    config.addressBusBoot = {0x01, 0x00, 0x01, 'b'};
    config.addressBusCrystal = "24.000MHz";
    config.sciVersion = "SCI 1.04";
    plugIn(config);

    DeviceInfoRecord record;
    ASSERT_TRUE(ReadDeviceInfo(device(), &record, VELK_SELECTOR_ADDRESS_BUS));
    EXPECT_STREQ(record.firmwareVersion, "01.03.02a");
    EXPECT_STREQ(record.bootVersion, "01.00.01b");
    EXPECT_STREQ(record.text1, "24.000MHz");
    EXPECT_STREQ(record.addressText2, "SCI 1.04");
    EXPECT_STREQ(record.text2, "");
    EXPECT_STREQ(record.text3, "");
}

TEST_F(DeviceInformation, OverlongTextsAreCutWithoutSpillingIntoOtherFields) {
    DeviceConfig config;
    config.dataBusCrystal = std::string(30, 'X');
    config.romChipText = std::string(40, 'Y');  // the 64-byte reply ends within it
    plugIn(config);
    DeviceInfoRecord record;
    ASSERT_TRUE(ReadDeviceInfo(device(), &record, VELK_SELECTOR_DATA_BUS));
    EXPECT_EQ(std::string(record.text1), std::string(23, 'X'));
    EXPECT_EQ(std::string(record.text2), std::string(23, 'Y'));
    EXPECT_STREQ(record.text3, "");
    EXPECT_STREQ(record.firmwareVersion, "02.06.09c");
}

struct ModelCase {
    char model;
    std::uint32_t capacity;
    std::uint32_t saveValue;
    bool brivo;
    std::size_t flashBytes;
};

// Names the case in test listings by its model letter.
void PrintTo(const ModelCase& c, std::ostream* out) {
    *out << "model " << c.model;
}

class ModelCapacity : public SimTest, public ::testing::WithParamInterface<ModelCase> {};

TEST_P(ModelCapacity, LibraryDerivesCapacityFromTheModelLetterAndTheFlashMatches) {
    const ModelCase& c = GetParam();
    DeviceConfig config;
    config.model = c.model;
    plugIn(config);
    std::uint32_t save = 99;
    EXPECT_EQ(GetMaxSize(device(), &save, 0), c.capacity);
    EXPECT_EQ(save, c.saveValue);
    EXPECT_EQ(IsVelkBrivo(device()) != 0, c.brivo);
    EXPECT_EQ(sim().romSize(), c.flashBytes);
    EXPECT_EQ(sim().saveRam().size(), c.saveValue == 0 ? 0u : velksim::kSaveRamBytes);
}

INSTANTIATE_TEST_SUITE_P(AllModels, ModelCapacity,
                         ::testing::Values(ModelCase{'c', 0x400001, 0x8001, true, 0x400000},
                                           ModelCase{'e', 0x200000, 0x8000, false, 0x200000},
                                           ModelCase{'g', 0x200000, 0, false, 0x200000},
                                           ModelCase{'m', 0x400000, 0, false, 0x400000}));

class DeviceSettings : public SimTest {};

TEST_F(DeviceSettings, CompatibilitySetIsStoredAndReportedInTheLowBits) {
    plugIn();
    EXPECT_EQ(Compatibility(device(), VELK_COMPAT_QUERY) & 3, 0);
    Compatibility(device(), VELK_COMPAT_STORE_BASE + 2);
    EXPECT_EQ(Compatibility(device(), VELK_COMPAT_QUERY) & 3, 2);
    EXPECT_EQ(sim().compatibilitySet(), 2);
    Compatibility(device(), VELK_COMPAT_STORE_BASE);
    EXPECT_EQ(sim().compatibilitySet(), 0);
}

TEST_F(DeviceSettings, FileNamesRoundTripPerSlotAndLongNamesAreCut) {
    plugIn();
    char name[64] = "Sonic The Hedgehog (W) (REV01).bin";
    ASSERT_TRUE(WriteFileName(device(), name, VELK_SLOT_ROM_NAME));
    char save[64] = "sonic.srm";
    ASSERT_TRUE(WriteFileName(device(), save, VELK_SLOT_SAVE_NAME));
    char longName[64];
    std::memset(longName, 'L', sizeof(longName));
    ASSERT_TRUE(WriteFileName(device(), longName, 1));

    EXPECT_EQ(sim().fileName(0), "Sonic The Hedgehog (W) (REV01).bin");
    EXPECT_EQ(sim().fileName(1), std::string(63, 'L'));
    EXPECT_EQ(sim().fileName(2), "sonic.srm");

    char back[64];
    ASSERT_TRUE(ReadFileName(device(), back, VELK_SLOT_ROM_NAME));
    EXPECT_STREQ(back, "Sonic The Hedgehog (W) (REV01).bin");
    ASSERT_TRUE(ReadFileName(device(), back, VELK_SLOT_SAVE_NAME));
    EXPECT_STREQ(back, "sonic.srm");

    // A shorter name replaces the whole slot: nothing of the longer one is left behind.
    char shorter[64] = "a.bin";
    ASSERT_TRUE(WriteFileName(device(), shorter, VELK_SLOT_ROM_NAME));
    const auto raw = sim().fileNameBytes(0);
    EXPECT_EQ(raw[5], 0);
    EXPECT_EQ(raw[10], 0);
    EXPECT_TRUE(sim().protocolErrors().empty());
}

TEST_F(DeviceSettings, FreshEraseCounterReadsAsZeroAndCountsUp) {
    plugIn();
    EXPECT_EQ(sim().eraseCounter(), 0xFFFFFFFFu);
    std::uint32_t counter = 1234;
    ASSERT_TRUE(ReadErasingCount(device(), &counter, 0));
    EXPECT_EQ(counter, 0u);  // the library stores 0 over the never-written value
    EXPECT_EQ(sim().eraseCounter(), 0u);
    counter = 41;
    ASSERT_TRUE(ReadErasingCount(device(), &counter, 1));
    counter = 0;
    ASSERT_TRUE(ReadErasingCount(device(), &counter, 0));
    EXPECT_EQ(counter, 41u);
}

TEST_F(DeviceSettings, StateFolderKeepsCounterNamesSetAndMemoriesAcrossARestart) {
    const auto folder = runtime_.path() / "device-state";
    velksim::ServerOptions options;
    options.stateDir = folder;
    plugIn({}, options);

    std::uint32_t counter = 7;
    ASSERT_TRUE(ReadErasingCount(device(), &counter, 1));
    char name[64] = "kept.bin";
    ASSERT_TRUE(WriteFileName(device(), name, 0));
    Compatibility(device(), VELK_COMPAT_STORE_BASE + 3);
    ASSERT_TRUE(EraseSector(device(), 0, 1, VELK_ERASE_SECTOR));
    const Bytes data = pattern(512, 3);
    ASSERT_TRUE(WriteSector(device(), data.data(), 0, 8));
    CloseVelkDevice(device_);
    device_ = nullptr;

    // A new simulator on the same folder is the same device after a power cycle.
    sim_.reset();
    velk::resetLibraryForTesting();
    velk::setPollSleepForTesting([](std::chrono::milliseconds) {});
    velksim::SimServer again({}, options);
    ASSERT_TRUE(again.start());
    device_ = OpenVelkDevice();
    ASSERT_NE(device_, VELK_INVALID_DEVICE);
    counter = 0;
    ASSERT_TRUE(ReadErasingCount(device(), &counter, 0));
    EXPECT_EQ(counter, 7u);
    char back[64];
    ASSERT_TRUE(ReadFileName(device(), back, 0));
    EXPECT_STREQ(back, "kept.bin");
    EXPECT_EQ(Compatibility(device(), VELK_COMPAT_QUERY) & 3, 3);
    Bytes read(512);
    ASSERT_TRUE(ReadSector(device(), read.data(), 0, 8));
    EXPECT_EQ(read, data);
    CloseVelkDevice(device_);
    device_ = nullptr;
    again.stop();

    // Names with bytes outside plain text survive the state file unchanged.
    {
        velksim::SimServer third({}, options);
        ASSERT_TRUE(third.start());
        velk::resetLibraryForTesting();
        device_ = OpenVelkDevice();
        ASSERT_NE(device_, VELK_INVALID_DEVICE);
        char odd[64] = "a\\b=c\x01\xFF\x7F \\x41";
        ASSERT_TRUE(WriteFileName(device(), odd, 1));
        CloseVelkDevice(device_);
        device_ = nullptr;
        ASSERT_TRUE(third.restart());
        EXPECT_EQ(third.fileName(1), std::string(odd));
    }

    // The raw image is there for anyone to inspect.
    EXPECT_EQ(std::filesystem::file_size(folder / "rom.bin"), 0x400000u);
    EXPECT_EQ(std::filesystem::file_size(folder / "sram.bin"), velksim::kSaveRamBytes);
}

}  // namespace
}  // namespace velksim_test
