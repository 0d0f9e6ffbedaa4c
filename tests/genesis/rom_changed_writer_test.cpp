// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Reprogramming only the changed sectors, against a virtual device: the result is what a full
// write leaves, and a run that cannot compare erases nothing.
#include "genesis/rom_changed_writer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine_run_fixture.h"
#include "genesis/rom_writer.h"
#include "genesis_image.h"

namespace nuvrel {
namespace {

constexpr std::uint32_t k4MiB = 0x400000;

class RomChangedWriterTest : public testing::EngineRunTest {
  protected:
    OperationOutcome writeChanged(const std::vector<std::uint8_t>& image, bool verify = true,
                                  const std::string& name = "game.bin") {
        RomChangedWriteRequest request;
        request.image = PrepareRomImage(folder_.write(name, image), {}).rom;
        request.verify = verify;
        request.unitsPerRead = 255;
        request.count = &count_;
        count_ = {};
        return WriteChangedRom(request, sink_);
    }

    OperationOutcome writeFull(const std::vector<std::uint8_t>& image) {
        RomWriteRequest request;
        request.image = PrepareRomImage(folder_.write("full.bin", image), {}).rom;
        return WriteRom(request, sink_);
    }

    std::size_t erases() { return commands("EraseSector").size(); }

    ChangedSectorCount count_;
};

struct ChangeCase {
    std::string name;
    std::vector<std::uint32_t> changedBytes;  // flipped in the image after the first write
    std::uint32_t rewritten;
};

class ChangedSectors : public RomChangedWriterTest,
                       public ::testing::WithParamInterface<ChangeCase> {};

TEST_P(ChangedSectors, RewritesOnlyDifferingSectorsAndLeavesWhatAFullWriteLeaves) {
    plug();
    sim().setRomBytes(0, std::vector<std::uint8_t>(k4MiB, 0x00));
    const auto original = RandomBytes(k4MiB, 3);
    ASSERT_TRUE(writeFull(original).succeeded());
    sim().clearCommandLog();
    auto changed = original;
    for (std::uint32_t address : GetParam().changedBytes) {
        changed[address] ^= 0x5A;
    }

    const OperationOutcome outcome = writeChanged(changed);

    EXPECT_EQ(outcome.status, "Write Complite");
    EXPECT_EQ(count_.rewritten, GetParam().rewritten);
    EXPECT_GT(count_.compared, GetParam().rewritten);
    EXPECT_EQ(erases(), GetParam().rewritten);
    EXPECT_EQ(sim().rom(), changed);
    EXPECT_EQ(sim().fileName(0), "game.bin");
    EXPECT_TRUE(sim().protocolErrors().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Changes, ChangedSectors,
    ::testing::Values(ChangeCase{"Nothing", {}, 0}, ChangeCase{"OneByte", {0x123457}, 1},
                      ChangeCase{"BootSectorAndLastSector", {0x10, k4MiB - 1}, 2},
                      ChangeCase{"TwoBytesOfOneSector", {0x200000, 0x20FFFF}, 1}),
    [](const auto& param) { return param.param.name; });

TEST_F(RomChangedWriterTest, SmallerImageLeavesTheRestOfItsLastSectorErasedAsAFullWriteDoes) {
    plug();
    sim().setRomBytes(0, std::vector<std::uint8_t>(k4MiB, 0x00));
    const auto image = RandomBytes(0x18000, 5);  // ends in the middle of a 64 KiB sector

    ASSERT_TRUE(writeChanged(image, false).succeeded());
    const auto afterChanged = sim().romBytes(0, 0x20000);
    ASSERT_TRUE(writeFull(image).succeeded());

    EXPECT_EQ(afterChanged, sim().romBytes(0, 0x20000));
    EXPECT_EQ(sim().romBytes(0x18000, 4), (std::vector<std::uint8_t>(4, 0xFF)));
}

TEST_F(RomChangedWriterTest, FailedComparisonReadErasesNothing) {
    plug();
    velksim::FaultOptions faults;
    faults.shortReplyLength = 100;
    faults.shortReplyCommand = 0x52;  // every ReadSector
    sim().setFaults(faults);
    const std::uint32_t counterBefore = sim().eraseCounter();

    const OperationOutcome outcome = writeChanged(RandomBytes(0x20000, 7));

    EXPECT_EQ(outcome.result, OperationResult::ReadFailed);
    EXPECT_EQ(outcome.status, "Read error at: 0x000000");
    EXPECT_EQ(erases(), 0u);
    EXPECT_EQ(sim().eraseCounter(), counterBefore);
    EXPECT_TRUE(commands("WriteFileName").empty());
}

TEST_F(RomChangedWriterTest, ImageBeyondTheSectorTableErasesNothing) {
    velksim::DeviceConfig config;
    config.model = 'e';  // 2 MiB of ROM
    config.chips = {velksim::kChip16MbitA, velksim::kNoChip};
    plug(config);

    const OperationOutcome outcome = writeChanged(RandomBytes(0x200000 + 512, 9));

    EXPECT_EQ(outcome.result, OperationResult::FlashNotCovered);
    EXPECT_NE(outcome.status.find("flash chip 1"), std::string::npos);
    EXPECT_NE(outcome.status.find("0x200000-0x2001FF"), std::string::npos);
    EXPECT_EQ(erases(), 0u);
}

// The file's layout is undone once, before any writer sees it: a changed-sector write of an SMD
// file leaves what a full write of it leaves, never the file's interleaved bytes.
TEST_F(RomChangedWriterTest, SmdFileIsComparedAndProgrammedAsItsPlainImage) {
    plug();
    const auto plain = testing::MakeGenesisImage(0x20000, "SMD GAME");
    const std::string path = folder_.write("game.smd", testing::SmdFile(plain));
    RomChangedWriteRequest request;
    request.image = PrepareRomImage(path, {}).rom;
    request.verify = true;
    request.count = &count_;
    ASSERT_EQ(request.image->format, RomImageFormat::Smd);

    const OperationOutcome outcome = WriteChangedRom(request, sink_);

    ASSERT_EQ(outcome.result, OperationResult::Completed);
    EXPECT_EQ(sim().romBytes(0, plain.size()), plain);
    EXPECT_EQ(sim().fileName(0), "game.smd");
}

}  // namespace
}  // namespace nuvrel
