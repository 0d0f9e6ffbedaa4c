// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "engine_run_fixture.h"
#include "saveram/save_ram.h"

namespace nuvrel {
namespace {

using testing::ReadWholeFile;

// A save file as the page writes it: 0 at even offsets, the save bytes at the odd ones.
std::vector<std::uint8_t> SaveFileOf(const std::vector<std::uint8_t>& saveBytes) {
    std::vector<std::uint8_t> file(saveBytes.size() * 2, 0);
    for (std::size_t k = 0; k < saveBytes.size(); ++k) {
        file[2 * k + 1] = saveBytes[k];
    }
    return file;
}

class SaveRamTest : public testing::EngineRunTest {
  protected:
    OperationOutcome write(const std::vector<std::uint8_t>& file, bool verify = true,
                           const std::string& name = "game.srm") {
        inputPath_ = folder_.write(name, file);
        return WriteSaveRam({inputPath_, static_cast<std::uint32_t>(file.size()), verify}, sink_);
    }

    std::string inputPath_;
};

TEST_F(SaveRamTest, SaveRoundTripsThroughTheDevice) {
    plug();  // model c, 32 KiB of save RAM
    const auto save = RandomBytes(velksim::kSaveRamBytes, 41);
    const auto file = SaveFileOf(save);

    const OperationOutcome written = write(file);

    ASSERT_EQ(written.result, OperationResult::Completed);
    EXPECT_EQ(written.status, "Write Complite");
    EXPECT_EQ(sim().saveRam(), save);
    EXPECT_EQ(sim().fileName(2), "game.srm");
    EXPECT_EQ(sink_.statuses(), (std::vector<std::string>{"Writing", "Write Complite"}));
    EXPECT_EQ(sink_.range(), 256u);
    EXPECT_EQ(sink_.positions().back(), 0u);
    const auto words = commandAddresses("WriteRamSector");
    ASSERT_EQ(words.size(), 256u);
    EXPECT_EQ(words[0], 0x100000u);
    EXPECT_EQ(words[255], 0x100000u + 0x80u * 255);
    EXPECT_EQ(commands("Compatibility").front().parameter, 0x23u);

    RecordingSink readSink;
    const auto out = folder_.file("back.srm");
    const SaveRamInfo info = QuerySaveRamForRead(true);
    ASSERT_TRUE(info.opened);
    EXPECT_EQ(info.storedName, "game.srm");
    EXPECT_EQ(info.readLength, 65538u);  // the Brivo model reports 32769

    const OperationOutcome read = ReadSaveRam({out.string(), info.readLength}, readSink);

    ASSERT_EQ(read.result, OperationResult::Completed);
    EXPECT_EQ(readSink.statuses(), (std::vector<std::string>{"Reading", "Read Complite"}));
    EXPECT_EQ(readSink.range(), 64u);
    EXPECT_EQ(ReadWholeFile(out), file);  // 65536 bytes, even offsets 0
}

TEST_F(SaveRamTest, EvenBytesOfTheFileAreNotSaveDataAndDoNotFailTheVerify) {
    velksim::DeviceConfig config;
    config.model = 'e';
    plug(config);
    auto file = SaveFileOf(RandomBytes(velksim::kSaveRamBytes, 42));
    for (std::size_t i = 0; i < file.size(); i += 2) {
        file[i] = 0xA5;  // a file from elsewhere with junk between the save bytes
    }

    const OperationOutcome outcome = write(file);

    EXPECT_EQ(outcome.result, OperationResult::Completed);
    EXPECT_TRUE(commands("Compatibility").empty());  // only the Brivo model is switched

    const auto out = folder_.file("back.srm");
    ReadSaveRam({out.string(), 65536}, sink_);
    const auto back = ReadWholeFile(out);
    ASSERT_EQ(back.size(), 65536u);
    for (std::size_t i = 0; i < back.size(); i += 2) {
        ASSERT_EQ(back[i], 0u) << "even offset " << i;
        ASSERT_EQ(back[i + 1], file[i + 1]) << "odd offset " << i + 1;
    }
}

// Bytes past the end of the window are not kept by the device: there the read-back shows 0xFF.
// A block whose only save byte that differs is its first one (offset 1) must still fail.
std::vector<std::uint8_t> FileOverhangingTheWindowByTwoBlocks() {
    auto file = SaveFileOf(std::vector<std::uint8_t>(velksim::kSaveRamBytes, 0x3C));
    std::vector<std::uint8_t> overhang(512, 0xFF);
    overhang[1] = 0x00;
    file.insert(file.end(), overhang.begin(), overhang.end());
    return file;
}

TEST_F(SaveRamTest, VerifyComparesTheFirstSaveByteOfABlockToo) {
    velksim::DeviceConfig config;
    config.model = 'e';
    plug(config);

    const OperationOutcome outcome = write(FileOverhangingTheWindowByTwoBlocks(), true);

    EXPECT_EQ(outcome.result, OperationResult::VerifyFailed);
    EXPECT_EQ(outcome.failingOffset, 0x10000u);
    EXPECT_EQ(outcome.status, "Verify error at: 0x010000");
    EXPECT_EQ(sink_.statuses().back(), "Verify error at: 0x010000");
    EXPECT_EQ(commandAddresses("WriteRamSector").size(),
              257u);  // the block after the failing one is not sent
    EXPECT_EQ(sim().fileName(2), " ");
    EXPECT_EQ(sink_.positions().back(), 0u);
}

TEST_F(SaveRamTest, WithoutVerifyTheSameRunCompletes) {
    velksim::DeviceConfig config;
    config.model = 'e';
    plug(config);
    const OperationOutcome outcome = write(FileOverhangingTheWindowByTwoBlocks(), false);
    EXPECT_EQ(outcome.status, "Write Complite");
    EXPECT_EQ(commandAddresses("WriteRamSector").size(), 258u);
    // Only the read before the transfer: 256 bytes at the window's start, ahead of every block.
    const auto reads = commands("ReadSector");
    ASSERT_EQ(reads.size(), 1u);
    EXPECT_EQ(reads[0].address, 0x100000u);
    EXPECT_EQ(reads[0].count, 4u);
    const auto log = sim().commandLog();
    const auto firstRead =
        std::find_if(log.begin(), log.end(), [](const auto& r) { return r.name == "ReadSector"; });
    const auto firstWrite = std::find_if(log.begin(), log.end(),
                                         [](const auto& r) { return r.name == "WriteRamSector"; });
    EXPECT_LT(firstRead, firstWrite);
}

TEST_F(SaveRamTest, ClearZeroesTheWholeWindowAndClearsTheStoredName) {
    plug();
    sim().setSaveRam(std::vector<std::uint8_t>(velksim::kSaveRamBytes, 0x77));
    write(SaveFileOf(RandomBytes(16, 43)));  // leaves a stored name

    RecordingSink clearSink;
    const OperationOutcome outcome = ClearSaveRam({32769, true}, clearSink);

    EXPECT_EQ(outcome.status, "Write Complite");
    EXPECT_EQ(sim().saveRam(), std::vector<std::uint8_t>(velksim::kSaveRamBytes, 0));
    EXPECT_EQ(sim().fileName(2), " ");
    EXPECT_EQ(clearSink.statuses(), (std::vector<std::string>{"Clearing", "Write Complite"}));
    EXPECT_EQ(clearSink.range(), 256u);
}

// Its last bytes would never reach the save RAM, yet the run would call itself complete.
TEST_F(SaveRamTest, FileEndingInsideABlockIsRefusedBeforeTheDeviceIsOpened) {
    plug();
    const OperationOutcome outcome = write(RandomBytes(300, 44), true, "short.srm");
    EXPECT_EQ(outcome.result, OperationResult::NothingToSend);
    EXPECT_EQ(outcome.status,
              "Can't write this save file: its last 44 bytes do not fill a 256-byte block of the "
              "save RAM, and nothing says what the rest of that block holds");
    expectNothingSent(2, "short.srm");
}

// The save RAM holds part of the new save and part of the old: neither name may stay.
TEST_F(SaveRamTest, AWriteCutOffHalfWayLeavesNoSaveName) {
    plug();
    RecordingSink firstSink;
    ASSERT_TRUE(
        WriteSaveRam({folder_.write("old.srm", RandomBytes(1024, 49)), 1024, true}, firstSink)
            .succeeded());
    ASSERT_EQ(sim().fileName(2), "old.srm");
    velksim::FaultOptions faults;
    faults.disconnectAfterTransfers = 4 * 3 + 1;
    faultsFrom("Writing", faults);

    const OperationOutcome outcome = write(SaveFileOf(RandomBytes(velksim::kSaveRamBytes, 50)));

    EXPECT_EQ(outcome.result, OperationResult::WriteFailed);
    EXPECT_EQ(sim().fileName(2), " ");
}

// Sending nothing and calling it complete would store the name of a save the device never got.
TEST_F(SaveRamTest, FileShorterThanOneBlockIsRefusedBeforeTheDeviceIsOpened) {
    plug();
    const OperationOutcome outcome = write(RandomBytes(200, 45), true, "tiny.srm");
    EXPECT_EQ(outcome.result, OperationResult::NothingToSend);
    EXPECT_EQ(outcome.status, "Nothing to write: the file is smaller than one 256-byte block.");
    expectNothingSent(2, "tiny.srm");
}

TEST_F(SaveRamTest, LongSaveNameIsStoredInItsShortForm) {
    plug();
    write(RandomBytes(256, 46), true, std::string(70, 'r') + ".srm");
    EXPECT_EQ(sim().fileName(2), "rrrrrr~1.srm");
}

TEST_F(SaveRamTest, FileThatShrankSinceItWasChosenIsAFailure) {
    plug();
    inputPath_ = folder_.write("shrunk.srm", RandomBytes(1000, 47));
    const OperationOutcome outcome = WriteSaveRam({inputPath_, 4096, true}, sink_);
    EXPECT_EQ(outcome.result, OperationResult::FileReadFailed);
    EXPECT_EQ(sink_.statuses().back(), "Can't read file!");
    EXPECT_EQ(commandAddresses("WriteRamSector").size(),
              3u);  // the three whole blocks the file still had
    EXPECT_EQ(sim().fileName(2), " ");
}

TEST_F(SaveRamTest, UnpluggingInMidWriteReportsTheBlock) {
    plug();
    velksim::FaultOptions faults;
    faults.disconnectAfterTransfers = 4 * 5 + 1;  // five verified blocks, then a command
    faultsFrom("Writing", faults);
    const OperationOutcome outcome = write(SaveFileOf(RandomBytes(velksim::kSaveRamBytes, 48)));
    EXPECT_EQ(outcome.result, OperationResult::WriteFailed);
    EXPECT_EQ(outcome.failingOffset, 0x500u);
    EXPECT_EQ(outcome.status, "Write error at: 0x000500");
    EXPECT_EQ(sink_.statuses().back(), "Write error at: 0x000500");
}

TEST_F(SaveRamTest, UnpluggingInMidReadKeepsTheOldSaveFile) {
    plug();
    const auto old = RandomBytes(65536, 49);
    const auto out = folder_.write("mine.srm", old);
    velksim::FaultOptions faults;
    faults.disconnectAfterTransfers = 2 * 3;
    faultsFrom("Reading", faults);

    const OperationOutcome outcome = ReadSaveRam({out, 65538}, sink_);

    EXPECT_EQ(outcome.result, OperationResult::ReadFailed);
    EXPECT_EQ(outcome.status, "Read error at: 0x000C00");
    EXPECT_EQ(ReadWholeFile(out), old);
    EXPECT_EQ(folder_.entries(), std::vector<std::string>{"mine.srm"});
}

TEST_F(SaveRamTest, SizeQueryReportsTheSaveRamValueOrItsAbsence) {
    plug();
    const SaveRamInfo brivo = QuerySaveRamSize(true);
    EXPECT_TRUE(brivo.deviceFound);
    EXPECT_EQ(brivo.ramSize, 32769u);
    EXPECT_TRUE(messages_.empty());
}

TEST_F(SaveRamTest, SizeQueryOfAModelWithoutSaveRamIsZero) {
    velksim::DeviceConfig config;
    config.model = 'g';
    plug(config);
    const SaveRamInfo info = QuerySaveRamForRead(true);
    EXPECT_TRUE(info.deviceFound);
    EXPECT_EQ(info.ramSize, 0u);
    EXPECT_FALSE(info.opened);  // no save RAM: nothing more is asked
}

TEST_F(SaveRamTest, SizeQueryWithoutDeviceLetsTheLibrarySayItOnlyWhenAsked) {
    EXPECT_FALSE(QuerySaveRamSize(false).deviceFound);
    EXPECT_TRUE(messages_.empty());
    EXPECT_FALSE(QuerySaveRamSize(true).deviceFound);
    EXPECT_EQ(messages_, std::vector<std::string>{"Device Not Detected!"});
}

TEST_F(SaveRamTest, NoDeviceEndsEveryRunQuietly) {
    const auto in = folder_.write("a.srm", RandomBytes(512, 50));
    EXPECT_EQ(WriteSaveRam({in, 512, true}, sink_).result, OperationResult::NoDevice);
    EXPECT_EQ(ClearSaveRam({32768, true}, sink_).result, OperationResult::NoDevice);
    EXPECT_EQ(ReadSaveRam({folder_.file("b.srm").string(), 65536}, sink_).result,
              OperationResult::NoDevice);
    EXPECT_TRUE(sink_.events().empty());
}

TEST_F(SaveRamTest, MissingInputFileEndsQuietlyWithoutWriting) {
    plug();
    const OperationOutcome outcome =
        WriteSaveRam({folder_.file("gone.srm").string(), 512, true}, sink_);
    EXPECT_EQ(outcome.result, OperationResult::FileNotOpened);
    EXPECT_TRUE(sink_.statuses().empty());
    EXPECT_TRUE(commandAddresses("WriteRamSector").empty());
    EXPECT_TRUE(commands("WriteFileName").empty());
}

}  // namespace
}  // namespace nuvrel
