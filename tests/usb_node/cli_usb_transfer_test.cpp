// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later
// nuvrel-cli over libusb on an emulated node, on the queued path (a command block submitted
// together with its phase) and on the synchronous one (VELK_SERIES_NO_QUEUE=1): information, ROM
// write with verify, a changed-only write, the read-back, and the save RAM.
#include <algorithm>

#include "usb_node_fixture.h"

namespace usbnodetest {
namespace {

class UsbTransfers : public UsbNodeTest, public ::testing::WithParamInterface<bool> {
  protected:
    RunOptions onPath() const {
        RunOptions options;
        if (!GetParam()) {
            options.environment.emplace_back("VELK_SERIES_NO_QUEUE", "1");
        }
        return options;
    }

    // What every run here must leave: each URB reaped, none abandoned, a clean protocol.
    void expectCleanUrbs() {
        ASSERT_TRUE(node().waitUntilClosed(0, std::chrono::seconds(2)));
        const velkusb::UrbStats stats = node().stats(0);
        EXPECT_EQ(stats.submitted, stats.reaped);
        EXPECT_EQ(stats.discarded, 0u);
        EXPECT_EQ(stats.leftAtClose, 0u);
        EXPECT_EQ(stats.stalls, 0u);
        EXPECT_TRUE(node().protocolErrors(0).empty()) << node().protocolErrors(0).front();
    }
};

TEST_P(UsbTransfers, InfoShowsTheFirmwareChipsAndCapacity) {
    plug();
    const ProgramRun run = runCli({"info"}, onPath());
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_TRUE(contains(run.out, "0100F922")) << run.out;
    EXPECT_TRUE(contains(run.out, "(32MBit)")) << run.out;
    EXPECT_TRUE(contains(run.out, "32Kbytes")) << run.out;
    expectCleanUrbs();
}

TEST_P(UsbTransfers, AVerifiedWriteAndTheWholeReadBackAreByteExact) {
    plug();
    const auto image = MakeGenesisImage(512u * 1024u, "USB NODE CART");
    writeBytes(path("game.bin"), image);

    ProgramRun run = runCli({"rom", "write", path("game.bin"), "--verify"}, onPath());
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_TRUE(contains(run.out, "Write Complite")) << run.out;
    EXPECT_EQ(node().romBytes(0, 0, image.size()), image);
    EXPECT_EQ(node().fileName(0, 0), "game.bin");

    run = runCli({"rom", "read", path("dump.bin")}, onPath());
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_TRUE(contains(run.out, "Read Complite")) << run.out;
    const auto dump = readBytes(path("dump.bin"));
    ASSERT_EQ(dump.size(), kRomBytes);
    EXPECT_EQ(dump, node().romBytes(0, 0, kRomBytes));
    EXPECT_TRUE(std::equal(image.begin(), image.end(), dump.begin()));
    expectCleanUrbs();
}

TEST_P(UsbTransfers, AChangedOnlyWriteRewritesTheOneSectorThatDiffers) {
    plug();
    auto image = MakeGenesisImage(256u * 1024u, "USB NODE CART");
    writeBytes(path("game.bin"), image);
    ASSERT_EQ(runCli({"rom", "write", path("game.bin")}, onPath()).exitCode, 0);

    image[0x30000] ^= 0x5A;
    writeBytes(path("game.bin"), image);
    const ProgramRun run =
        runCli({"rom", "write", path("game.bin"), "--changed-only", "--verify"}, onPath());
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_TRUE(contains(run.out, "Sectors rewritten: 1 of")) << run.out;
    EXPECT_EQ(node().romBytes(0, 0, image.size()), image);
    expectCleanUrbs();
}

TEST_P(UsbTransfers, TheSaveRamIsWrittenVerifiedReadBackAndCleared) {
    plug();
    std::vector<std::uint8_t> save(32768);
    for (std::size_t i = 0; i < save.size(); ++i) {
        save[i] = static_cast<std::uint8_t>(i * 13 + 7);
    }
    writeBytes(path("save.srm"), save);

    ProgramRun run = runCli({"sram", "write", path("save.srm"), "--format", "compact"}, onPath());
    EXPECT_EQ(run.exitCode, 0) << run.out << run.err;
    EXPECT_EQ(node().saveRam(0), save);

    run = runCli({"sram", "read", path("back.srm"), "--format", "compact"}, onPath());
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(readBytes(path("back.srm")), save);

    run = runCli({"sram", "clear"}, onPath());
    EXPECT_EQ(run.exitCode, 0) << run.err;
    const auto cleared = node().saveRam(0);
    EXPECT_TRUE(std::all_of(cleared.begin(), cleared.end(),
                            [first = cleared.front()](std::uint8_t b) { return b == first; }));
    EXPECT_NE(cleared, save);
    expectCleanUrbs();
}

INSTANTIATE_TEST_SUITE_P(QueuedAndSynchronous, UsbTransfers, ::testing::Values(true, false),
                         [](const ::testing::TestParamInfo<bool>& param) {
                             return param.param ? "queued" : "synchronous";
                         });

}  // namespace
}  // namespace usbnodetest
