// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "genesis/rom_writer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <string>
#include <vector>

#include "engine/status_text.h"
#include "engine_run_fixture.h"

namespace nuvrel {
namespace {

using testing::ReadWholeFile;

class RomWriterTest : public testing::EngineRunTest {
  protected:
    // Writes the image to disk and programs it; the pause after the first chip erase is recorded
    // instead of slept.
    OperationOutcome program(const std::vector<std::uint8_t>& image, bool verify, bool fastErase,
                             const std::string& name = "game.bin") {
        imagePath_ = folder_.write(name, image);
        RomWriteRequest request;
        request.image = PrepareRomImage(imagePath_, applyPatches_).rom;
        request.verify = verify;
        request.fastErase = fastErase;
        request.pause = [this](std::chrono::milliseconds d) { pauses_.push_back(d); };
        return WriteRom(request, sink_);
    }

    std::string imagePath_;
    std::vector<std::chrono::milliseconds> pauses_;
    std::function<void(std::uint8_t*, std::uint32_t)> applyPatches_;
    bool unplugged_ = false;
};

TEST_F(RomWriterTest, FourMebibyteImageIsProgrammedSectorBySectorAndVerified) {
    plug();  // model c, one 32-Mbit bottom-boot chip, firmware 02.06.09
    sim().setRomBytes(0, std::vector<std::uint8_t>(0x400000, 0x00));  // old content to erase
    const auto image = RandomBytes(0x400000, 1);

    const OperationOutcome outcome = program(image, true, false);

    EXPECT_EQ(outcome.result, OperationResult::Completed);
    EXPECT_EQ(outcome.status, "Write Complite");
    EXPECT_EQ(sim().rom(), image);
    EXPECT_EQ(sim().fileName(0), "game.bin");
    EXPECT_EQ(sim().eraseCounter(), 1u);  // a fresh counter reads as 0, plus this erase
    EXPECT_EQ(sim().sectorEraseCount(0x000000), 1u);
    EXPECT_EQ(sim().sectorEraseCount(0x3F0000), 1u);
    EXPECT_EQ(sim().chipEraseCount(0), 0u);
    EXPECT_TRUE(sim().protocolErrors().empty());

    EXPECT_EQ(sink_.distinctStatuses(),
              (std::vector<std::string>{"Analizing file", "Erasing", "Writing", "Write Complite"}));
    EXPECT_EQ(sink_.fastErase(), false);
    EXPECT_EQ(sink_.range(), 8192u);
    EXPECT_EQ(sink_.positions().back(), 0u);
    EXPECT_EQ(sink_.count(Kind::TimerStart), 1u);
    EXPECT_EQ(sink_.count(Kind::TimerStop), 1u);
    EXPECT_EQ(sink_.sectors().back(), "");  // emptied when the run ends
    EXPECT_TRUE(pauses_.empty());
}

TEST_F(RomWriterTest, ProgressRisesThroughEveryBlockOfBothPassesAndEndsEmpty) {
    plug();
    const auto image = RandomBytes(4 * 512, 2);
    program(image, false, false);

    // The erase pass, back to 0, the write pass, then 0 again.
    EXPECT_EQ(sink_.range(), 4u);
    EXPECT_EQ(sink_.positions(), (std::vector<std::uint32_t>{0, 1, 2, 3, 0, 0, 1, 2, 3, 0}));
    // Sector names appear as their first block is reached; SA00 is the only start in 2 KiB.
    const auto sectors = sink_.sectors();
    EXPECT_EQ(std::count(sectors.begin(), sectors.end(), "SA00   "), 2);
}

// Whole blocks only would leave the image's last bytes out and still say "Write Complite".
TEST_F(RomWriterTest, OddSizedImageHasItsLastBlockFilledUpWithErasedFlashAndProgrammed) {
    velksim::DeviceConfig config;
    config.model = 'm';
    config.chips = {velksim::kChip16MbitA, velksim::kChipMx29lv160B};
    plug(config);
    // 0x30123 bytes: the filled-up block 384 is the first of SBB06 (byte 0x30000).
    const auto image = RandomBytes(0x30123, 3);
    sim().setRomBytes(0x30000, std::vector<std::uint8_t>(0x200, 0x5A));

    const OperationOutcome outcome = program(image, true, false);

    ASSERT_EQ(outcome.result, OperationResult::Completed);
    EXPECT_EQ(sim().romBytes(0, 0x30123), image);
    EXPECT_EQ(sim().romBytes(0x30123, 0xDD), std::vector<std::uint8_t>(0xDD, 0xFF));
    EXPECT_EQ(sim().sectorEraseCount(0x30000), 1u);  // SBB06 holds the image's last bytes
    EXPECT_EQ(sink_.range(), 385u);
    EXPECT_TRUE(commands("Compatibility").empty());  // not the Brivo model
}

TEST_F(RomWriterTest, TopBootChipHasItsSmallSectorsErasedAtTheEnd) {
    velksim::DeviceConfig config;
    config.chips = {velksim::kChip32MbitTop, velksim::kNoChip};
    plug(config);
    sim().setRomBytes(0x3F0000, std::vector<std::uint8_t>(0x10000, 0x00));
    const auto image = RandomBytes(0x400000, 23);

    const OperationOutcome outcome = program(image, true, false);

    ASSERT_EQ(outcome.result, OperationResult::Completed);
    EXPECT_EQ(sim().rom(), image);
    EXPECT_EQ(sim().sectorEraseCount(0x3F0000), 1u);  // SA63, 8 KiB
    EXPECT_EQ(sim().sectorEraseCount(0x3FE000), 1u);  // SA70, the last one
    const auto sectors = sink_.sectors();
    EXPECT_NE(std::find(sectors.begin(), sectors.end(), "SA70   "), sectors.end());
    EXPECT_EQ(commands("EraseSector").size(), 71u);
}

TEST_F(RomWriterTest, ImageSmallerThanOneBlockIsProgrammedInOneFilledUpBlock) {
    plug();
    const auto image = RandomBytes(300, 4);
    const OperationOutcome outcome = program(image, true, false, "tiny.bin");
    ASSERT_EQ(outcome.result, OperationResult::Completed);
    EXPECT_EQ(sim().romBytes(0, 300), image);
    EXPECT_EQ(sim().romBytes(300, 212), std::vector<std::uint8_t>(212, 0xFF));
    EXPECT_EQ(sim().fileName(0), "tiny.bin");
}

TEST_F(RomWriterTest, FastEraseErasesBothChipsOfAFourMebibyteImage) {
    velksim::DeviceConfig config;
    config.model = 'm';
    config.chips = {velksim::kChip16MbitA, velksim::kChip16MbitA};
    plug(config);
    const auto image = RandomBytes(0x400000, 5);

    const OperationOutcome outcome = program(image, true, true);

    ASSERT_EQ(outcome.result, OperationResult::Completed);
    EXPECT_EQ(sim().rom(), image);
    EXPECT_EQ(sim().chipEraseCount(0), 1u);
    EXPECT_EQ(sim().chipEraseCount(1), 1u);
    EXPECT_EQ(sink_.fastErase(), true);
    EXPECT_EQ(sink_.distinctStatuses(),
              (std::vector<std::string>{"Analizing file", "Erasing ROM0", "Erasing ROM1", "Writing",
                                        "Write Complite"}));
    EXPECT_EQ(pauses_, (std::vector<std::chrono::milliseconds>{std::chrono::milliseconds(1000)}));
    const auto erases = commands("EraseSector");
    ASSERT_EQ(erases.size(), 2u);
    EXPECT_EQ(erases[0].address, 0x555u);
    EXPECT_EQ(erases[0].parameter, 0x10u);
    EXPECT_EQ(erases[1].address, 0x100555u);
}

TEST_F(RomWriterTest, ChipEraseOfATwoMebibyteImageLeavesTheSecondChipAlone) {
    velksim::DeviceConfig config;
    config.model = 'm';
    config.chips = {velksim::kChip16MbitA, velksim::kChip16MbitA};
    plug(config);
    const auto image = RandomBytes(0x200000, 6);

    program(image, false, true);

    EXPECT_EQ(sim().chipEraseCount(0), 1u);
    EXPECT_EQ(sim().chipEraseCount(1), 0u);
    const auto statuses = sink_.statuses();
    EXPECT_EQ(std::find(statuses.begin(), statuses.end(), "Erasing ROM1"), statuses.end());
    EXPECT_EQ(sim().romBytes(0, 0x200000), image);
}

TEST_F(RomWriterTest, ChipsNamedByTheDeviceTextAreErasedWholeEvenWithoutFastErase) {
    plug(velksim::DeviceConfig::withMx29lv160Text("TB", 'm'));
    const auto image = RandomBytes(0x210000, 7);

    const OperationOutcome outcome = program(image, true, false);

    ASSERT_EQ(outcome.result, OperationResult::Completed);
    EXPECT_EQ(sink_.fastErase(), true);
    EXPECT_EQ(sim().chipEraseCount(0), 1u);
    EXPECT_EQ(sim().chipEraseCount(1), 1u);
    EXPECT_EQ(sim().romBytes(0, image.size()), image);
}

TEST_F(RomWriterTest, AllFFBlocksAreNeitherWrittenNorVerified) {
    plug();
    auto image = RandomBytes(4 * 512, 8);
    std::fill(image.begin() + 512, image.begin() + 1024, 0xFF);   // block 1 blank
    std::fill(image.begin() + 1024, image.begin() + 1536, 0xFF);  // block 2 blank but
    image[1024 + 511] = 0xFE;                                     // one byte

    program(image, true, false);

    EXPECT_EQ(commandAddresses("WriteSector"), (std::vector<std::uint32_t>{0x000, 0x200, 0x300}));
    for (const auto& read : commands("ReadSector")) {
        EXPECT_NE(read.address, 0x100u) << "the blank block was read back";
    }
    EXPECT_EQ(sim().programmedBlocks(), 3u);
    EXPECT_EQ(sim().romBytes(0, image.size()), image);
}

TEST_F(RomWriterTest, VerifyErrorStopsAtTheFailingBlockAndClearsTheStoredName) {
    velksim::DeviceConfig config;
    config.faults.weakCellByteAddress = 0x1234;
    plug(config);
    auto image = RandomBytes(0x4000, 9);
    image[0x1234] = 0x00;

    const OperationOutcome outcome = program(image, true, false);

    EXPECT_EQ(outcome.result, OperationResult::VerifyFailed);
    EXPECT_EQ(outcome.failingOffset, 0x1200u);
    EXPECT_EQ(outcome.status, "Verify error at: 0x001200");
    EXPECT_EQ(sink_.statuses().back(), "Verify error at: 0x001200");
    EXPECT_EQ(sim().fileName(0), " ");
    // Blocks after the failing one were never sent.
    EXPECT_EQ(commandAddresses("WriteSector").back(), 0x900u);
    EXPECT_EQ(sim().romBytes(0x1400, 0x2C00), std::vector<std::uint8_t>(0x2C00, 0xFF));
    // The failing block gets no progress position of its own.
    const auto positions = sink_.positions();
    EXPECT_EQ(std::count(positions.begin(), positions.end(), 9u), 1);  // erase pass only
    EXPECT_EQ(positions.back(), 0u);
}

TEST_F(RomWriterTest, UnpluggingWhileWritingReportsTheFailingBlock) {
    plug();
    const auto image = RandomBytes(0x8000, 10);
    velksim::FaultOptions faults;
    faults.disconnectAfterTransfers = 21;
    faultsFrom("Writing", faults);

    const OperationOutcome outcome = program(image, false, false);

    EXPECT_EQ(outcome.result, OperationResult::WriteFailed);
    EXPECT_EQ(outcome.status, WriteErrorText(outcome.failingOffset));
    EXPECT_EQ(sink_.statuses().back(), outcome.status);
    EXPECT_GT(outcome.failingOffset, 0u);
    EXPECT_LT(outcome.failingOffset, 0x8000u);
    EXPECT_EQ(outcome.failingOffset % 512, 0u);
    // Everything before the failing block is on the device, nothing after it.
    EXPECT_EQ(sim().romBytes(0, outcome.failingOffset),
              std::vector<std::uint8_t>(image.begin(), image.begin() + outcome.failingOffset));
    const std::uint32_t after = outcome.failingOffset + 512;
    EXPECT_EQ(sim().romBytes(after, 0x8000 - after),
              std::vector<std::uint8_t>(0x8000 - after, 0xFF));
    EXPECT_EQ(sink_.count(Kind::TimerStop), 1u);
    EXPECT_EQ(sink_.positions().back(), 0u);
}

// The flash holds part of the new image and part of the old: neither name may stay.
TEST_F(RomWriterTest, AWriteCutOffHalfWayLeavesNoImageName) {
    plug();
    program(RandomBytes(0x800, 25), false, false, "a.bin");
    ASSERT_EQ(sim().fileName(0), "a.bin");
    velksim::FaultOptions faults;
    faults.disconnectAfterTransfers = 9;
    faultsFrom("Writing", faults);

    const OperationOutcome outcome = program(RandomBytes(0x8000, 26), false, false, "b.bin");

    EXPECT_EQ(outcome.result, OperationResult::WriteFailed);
    EXPECT_EQ(sim().fileName(0), " ");
}

TEST_F(RomWriterTest, UnpluggingDuringVerifyReportsAReadError) {
    plug();
    const auto image = RandomBytes(0x8000, 11);
    velksim::FaultOptions faults;
    faults.disconnectAfterTransfers = 2 + 4 * 3;  // block 3's write, then its read-back
    faultsFrom("Writing", faults);

    const OperationOutcome outcome = program(image, true, false);

    EXPECT_EQ(outcome.result, OperationResult::ReadFailed);
    EXPECT_EQ(outcome.failingOffset, 0x600u);
    EXPECT_EQ(outcome.status, "Read error at: 0x000600");
    EXPECT_EQ(sink_.statuses().back(), "Read error at: 0x000600");
}

TEST_F(RomWriterTest, AFailedReadBackEndsTheRunWithNothingMoreSent) {
    plug();
    program(RandomBytes(0x800, 21), false, false, "old.bin");
    ASSERT_EQ(sim().fileName(0), "old.bin");
    sink_ = RecordingSink();
    sink_.onEvent = [this](const SinkEvent& event) {
        if (event.kind == Kind::Status && event.text == "Writing") {
            velksim::FaultOptions faults;
            faults.stallTransfer = 4 * 3 + 4;  // block 3's read-back never comes
            faults.stallTimesOutAtOnce = true;
            sim().setFaults(faults);
            sim().clearCommandLog();
        }
    };

    const OperationOutcome outcome = program(RandomBytes(0x8000, 22), true, false, "new.bin");

    EXPECT_EQ(outcome.result, OperationResult::ReadFailed);
    EXPECT_EQ(outcome.status, "Read error at: 0x000600");
    // Neither a name nor the closing read: the device may still be waiting for something else.
    EXPECT_EQ(sim().commandLog().back().name, "ReadSector");
    // The old image's name went before its flash was erased.
    EXPECT_EQ(sim().fileName(0), " ");
}

TEST_F(RomWriterTest, UnpluggingDuringTheEraseStopsBeforeAnyWrite) {
    plug();
    sink_.onEvent = [this](const SinkEvent& event) {
        if (event.kind == Kind::Status && event.text == "Erasing" && !unplugged_) {
            unplugged_ = true;
            velksim::FaultOptions faults;
            faults.disconnectAfterTransfers = 2;  // the first sector's erase gets through
            sim().setFaults(faults);
        }
    };
    const auto image = RandomBytes(0x8000, 12);

    const OperationOutcome outcome = program(image, false, false);

    EXPECT_EQ(outcome.result, OperationResult::EraseFailed);
    EXPECT_EQ(outcome.status, EraseErrorText(outcome.failingOffset));
    EXPECT_EQ(outcome.failingOffset, 0x2000u);  // SA01, the second sector
    EXPECT_TRUE(commandAddresses("WriteSector").empty());
    const auto statuses = sink_.statuses();
    EXPECT_EQ(std::find(statuses.begin(), statuses.end(), "Writing"), statuses.end());
}

TEST_F(RomWriterTest, PatchesChangeOnlyTheBufferThatIsProgrammed) {
    plug();
    const auto image = RandomBytes(0x1000, 13);
    std::uint32_t patchedLength = 0;
    applyPatches_ = [&patchedLength](std::uint8_t* buffer, std::uint32_t length) {
        patchedLength = length;
        buffer[0x200] = 0x4E;
        buffer[0x201] = 0x71;
        buffer[length] = 0x12;  // slack after the image is writable and never sent
    };

    const OperationOutcome outcome = program(image, true, false);

    ASSERT_EQ(outcome.result, OperationResult::Completed);
    EXPECT_EQ(patchedLength, 0x1000u);
    EXPECT_EQ(sim().romBytes(0x200, 2), (std::vector<std::uint8_t>{0x4E, 0x71}));
    EXPECT_EQ(sim().romBytes(0x1000, 1), std::vector<std::uint8_t>{0xFF});
    EXPECT_EQ(commandAddresses("WriteSector").back(), 0x700u);
    EXPECT_EQ(ReadWholeFile(imagePath_), image);
}

TEST_F(RomWriterTest, EraseCounterCountsOneMoreCycle) {
    velksim::DeviceConfig config;
    config.eraseCounterStart = 41;
    plug(config);
    program(RandomBytes(0x800, 15), false, false);
    EXPECT_EQ(sim().eraseCounter(), 42u);
}

TEST_F(RomWriterTest, AnEraseCounterThatCannotBeReadStopsTheRunBeforeAnyErase) {
    velksim::DeviceConfig config;
    config.eraseCounterStart = 41;
    plug(config);
    sink_.onEvent = [this](const SinkEvent& event) {
        if (event.kind == Kind::TimerStart) {
            velksim::FaultOptions faults;
            faults.stallTransfer = 2;  // the counter read's reply never comes
            faults.stallTimesOutAtOnce = true;
            sim().setFaults(faults);
        }
    };

    const auto before = sim().romBytes(0, 0x800);
    const OperationOutcome outcome = program(RandomBytes(0x800, 23), true, false);

    EXPECT_EQ(sim().eraseCounter(), 41u);  // not restarted from 1
    EXPECT_EQ(outcome.result, OperationResult::NoAnswer);
    EXPECT_EQ(outcome.status, "Device not answering: erase counter");
    EXPECT_EQ(sim().romBytes(0, 0x800), before);  // nothing erased without the count
}

TEST_F(RomWriterTest, BrivoModelIsSwitchedToRomModeFirst) {
    plug();  // model c
    program(RandomBytes(0x800, 16), false, false);
    const auto compat = commands("Compatibility");
    ASSERT_FALSE(compat.empty());
    EXPECT_EQ(compat.front().parameter, 0x21u);
    // ... before the chips are asked for and anything is erased.
    const auto log = sim().commandLog();
    const auto firstCompat = std::find_if(log.begin(), log.end(),
                                          [](const auto& r) { return r.name == "Compatibility"; });
    const auto firstErase =
        std::find_if(log.begin(), log.end(), [](const auto& r) { return r.name == "EraseSector"; });
    EXPECT_LT(firstCompat, firstErase);
}

TEST_F(RomWriterTest, UnknownChipStopsWithCantDetectSectorsAndTouchesNothing) {
    velksim::DeviceConfig config;
    config.chips = {0x12345678u, velksim::kNoChip};
    config.eraseCounterStart = 7;
    plug(config);

    const OperationOutcome outcome = program(RandomBytes(0x1000, 17), true, false);

    EXPECT_EQ(outcome.result, OperationResult::SectorsUndetected);
    EXPECT_EQ(sink_.statuses().back(), "Can't detect sectors!");
    EXPECT_TRUE(commands("EraseSector").empty());
    EXPECT_TRUE(commandAddresses("WriteSector").empty());
    EXPECT_EQ(sim().eraseCounter(), 7u);
    EXPECT_EQ(sim().fileName(0), "");
    EXPECT_EQ(sink_.count(Kind::TimerStart), 0u);
    EXPECT_EQ(sink_.count(Kind::TimerStop), 0u);
    // The closing read of the first 512 bytes still happens, and nothing is asked of the
    // erase counter.
    const auto log = sim().commandLog();
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.back().name, "ReadSector");
    EXPECT_EQ(log.back().address, 0u);
    EXPECT_EQ(log.back().count, 8u);
    EXPECT_TRUE(commands("ReadErasingCount").empty());
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_NE(messages_[0].find("Unknown interanl chips"), std::string::npos);
}

// Flash no table describes cannot be erased; programming it unerased leaves the AND of the old
// and the new image there.
TEST_F(RomWriterTest, ImageBeyondTheSectorTableIsRefusedBeforeAnythingIsErased) {
    velksim::DeviceConfig config;
    config.model = 'm';
    config.chips = {velksim::kChip16MbitA, 0x12345678u};  // second chip unknown: no rows
    config.eraseCounterStart = 7;
    plug(config);
    program(RandomBytes(0x800, 24), false, false, "old.bin");
    sim().clearCommandLog();

    for (const bool fastErase : {false, true}) {
        const OperationOutcome outcome = program(RandomBytes(0x240000, 18), false, fastErase);

        EXPECT_EQ(outcome.result, OperationResult::FlashNotCovered);
        EXPECT_EQ(outcome.status,
                  "No sector table for flash chip 1 (ID 12345678): image bytes 0x200000-0x23FFFF "
                  "can't be erased; nothing written");
        EXPECT_TRUE(commands("EraseSector").empty());
        EXPECT_TRUE(commands("WriteSector").empty());
        EXPECT_EQ(sim().eraseCounter(), 8u);  // the old image's write only
        EXPECT_EQ(sim().fileName(0), "old.bin");
    }
}

TEST_F(RomWriterTest, NoDeviceEndsQuietly) {
    // Nothing is plugged into this test's private runtime folder.
    const auto path = folder_.write("game.bin", RandomBytes(0x800, 19));
    RomWriteRequest request;
    request.image = PrepareRomImage(path, {}).rom;

    const OperationOutcome outcome = WriteRom(request, sink_);

    EXPECT_EQ(outcome.result, OperationResult::NoDevice);
    EXPECT_TRUE(outcome.status.empty());
    EXPECT_TRUE(sink_.statuses().empty());
    EXPECT_EQ(sink_.count(Kind::TimerStart), 0u);
}

TEST_F(RomWriterTest, LongImageNameIsStoredInItsShortForm) {
    plug();
    const std::string name = "Phantasy Star IV - The End of the Millennium (USA) [!] rev 1.bin";
    ASSERT_GT(name.size(), 63u);
    program(RandomBytes(0x800, 20), false, false, name);
    EXPECT_EQ(sim().fileName(0), "Phanta~1.bin");
}

}  // namespace
}  // namespace nuvrel
