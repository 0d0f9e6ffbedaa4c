// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Every long operation against a device that goes away or stops answering at each transfer of the
// run in turn: the run must end as a true success or as a failure that never shows a success
// text, sends nothing after the failed transfer and leaves the old destination file as it was.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "engine/status_text.h"
#include "genesis/rom_reader.h"
#include "genesis/rom_verifier.h"
#include "genesis/rom_writer.h"
#include "recording_sink.h"
#include "saveram/save_ram.h"
#include "virtual_device_fixture.h"

namespace nuvrel {
namespace {

using testing::ReadWholeFile;
using testing::RecordingSink;

enum class Fault { Disconnect, Stall };

struct Operation {
    const char* name;
    // Prepares the device and files, then runs the operation once.
    std::function<OperationOutcome(testing::VirtualDeviceTest&, RecordingSink&)> run;
    // After a run that claims success: does the device or the file really hold the result?
    std::function<bool(testing::VirtualDeviceTest&)> reallyDone;
    // The file the operation replaces, if any, and what it held before.
    std::string destination;
};

const std::vector<std::uint8_t> kOldFile(3000, 0x5A);

class FaultSweep : public testing::VirtualDeviceTest,
                   public ::testing::WithParamInterface<std::tuple<int, Fault>> {
  protected:
    std::vector<std::uint8_t> image_ = RandomBytes(0x800, 7);
    std::vector<std::uint8_t> save_ = RandomBytes(0x400, 8);

    std::vector<Operation> operations() {
        const std::string dump = folder_.file("old.bin").string();
        return {
            {"rom write with verify",
             [this](VirtualDeviceTest&, RecordingSink& sink) {
                 RomWriteRequest request;
                 request.image = PrepareRomImage(folder_.write("game.bin", image_), {}).rom;
                 request.verify = true;
                 request.pause = [](std::chrono::milliseconds) {};
                 return WriteRom(request, sink);
             },
             [this](VirtualDeviceTest&) {
                 return sim().romBytes(0, image_.size()) == image_ &&
                        sim().fileName(0) == "game.bin";
             },
             ""},
            {"rom read",
             [dump](VirtualDeviceTest&, RecordingSink& sink) {
                 RomReadRequest request;
                 request.outputPath = dump;
                 request.length = 4 * 1024;
                 return ReadRom(request, sink);
             },
             [this, dump](VirtualDeviceTest&) {
                 return ReadWholeFile(dump) == sim().romBytes(0, 4 * 1024);
             },
             dump},
            {"rom verify",
             [this](VirtualDeviceTest&, RecordingSink& sink) {
                 sim().setRomBytes(0, image_);
                 RomVerifyRequest request;
                 request.image = PrepareRomImage(folder_.write("game.bin", image_), {}).rom;
                 return VerifyRom(request, sink);
             },
             [](VirtualDeviceTest&) { return true; }, ""},
            {"save write with verify",
             [this](VirtualDeviceTest&, RecordingSink& sink) {
                 SaveRamWriteRequest request;
                 request.inputPath = folder_.write("game.srm", save_);
                 request.length = static_cast<std::uint32_t>(save_.size());
                 return WriteSaveRam(request, sink);
             },
             [this](VirtualDeviceTest&) {
                 const auto held = sim().saveRam();
                 for (std::size_t i = 1; i < save_.size(); i += 2) {
                     if (held[i / 2] != save_[i]) {
                         return false;
                     }
                 }
                 return sim().fileName(2) == "game.srm";
             },
             ""},
            {"save read",
             [dump](VirtualDeviceTest&, RecordingSink& sink) {
                 SaveRamReadRequest request;
                 request.outputPath = dump;
                 request.length = 2 * 1024;
                 return ReadSaveRam(request, sink);
             },
             [dump](VirtualDeviceTest&) {
                 std::vector<std::uint8_t> expected(2 * 1024, 0);
                 for (std::size_t i = 1; i < expected.size(); i += 2) {
                     expected[i] = 0x33;
                 }
                 return ReadWholeFile(dump) == expected;
             },
             dump},
            {"clear",
             [](VirtualDeviceTest&, RecordingSink& sink) {
                 SaveRamClearRequest request;
                 request.ramSize = 512;
                 return ClearSaveRam(request, sink);
             },
             [this](VirtualDeviceTest&) {
                 const auto held = sim().saveRam();
                 return std::all_of(held.begin(), held.begin() + 512,
                                    [](std::uint8_t b) { return b == 0; }) &&
                        sim().fileName(2) == " ";
             },
             ""},
        };
    }

    // Runs the operation on a fresh device with the fault armed at transfer `at` (0: none).
    OperationOutcome runWith(const Operation& operation, Fault fault, std::uint64_t at,
                             RecordingSink& sink) {
        plug();
        sim().setSaveRam(std::vector<std::uint8_t>(velksim::kSaveRamBytes, 0x33));
        if (!operation.destination.empty()) {
            folder_.write("old.bin", kOldFile);
        }
        velksim::FaultOptions faults;
        if (at != 0) {
            if (fault == Fault::Disconnect) {
                faults.disconnectAfterTransfers = at - 1;
                if (at == 1) {
                    sim().stop();  // gone before the first transfer
                }
            } else {
                faults.stallTransfer = at;
                faults.stallTimesOutAtOnce = true;
            }
        }
        sim().setFaults(faults);
        return operation.run(*this, sink);
    }
};

TEST_P(FaultSweep, EveryTransferThatFailsEndsTheRunAsAFailureAndKeepsTheOldFile) {
    const auto [index, fault] = GetParam();
    const Operation operation = operations()[static_cast<std::size_t>(index)];
    SCOPED_TRACE(operation.name);

    // The chip identification is one library command that, as specified, asks for both chips
    // even after a failed transfer; it sends no data phase. Its transfers lie between the
    // "Analizing file" status and the start of the timer.
    std::uint64_t identificationStart = 0;
    std::uint64_t identificationEnd = 0;
    RecordingSink clean;
    clean.onEvent = [&](const testing::SinkEvent& event) {
        if (event.kind == testing::SinkEvent::Kind::Status && event.text == "Analizing file") {
            identificationStart = sim().transferCount();
        } else if (event.kind == testing::SinkEvent::Kind::TimerStart) {
            identificationEnd = sim().transferCount();
        }
    };
    ASSERT_TRUE(runWith(operation, fault, 0, clean).succeeded());
    const std::uint64_t transfers = sim().transferCount();
    ASSERT_GT(transfers, 4u);

    for (std::uint64_t at = 1; at <= transfers; ++at) {
        SCOPED_TRACE("fault at transfer " + std::to_string(at));
        RecordingSink sink;
        const OperationOutcome outcome = runWith(operation, fault, at, sink);
        const auto statuses = sink.statuses();
        const bool successShown =
            std::find_if(statuses.begin(), statuses.end(), [](const std::string& text) {
                return text == kStatusWriteComplete || text == kStatusReadComplete ||
                       text == kStatusRomMatches;
            }) != statuses.end();
        if (outcome.succeeded()) {
            // Only a disconnect after the last transfer can leave a run complete.
            EXPECT_TRUE(operation.reallyDone(*this));
            continue;
        }
        EXPECT_FALSE(successShown);
        if (!operation.destination.empty()) {
            EXPECT_EQ(ReadWholeFile(operation.destination), kOldFile);
            EXPECT_EQ(folder_.entries().size(), 1u);  // no temporary file left behind
        }
        if (fault == Fault::Stall) {
            // Nothing is sent after the transfer that failed: a device waiting for a data phase
            // must never get the next command block as its data.
            const bool identifying = at > identificationStart && at <= identificationEnd;
            if (identifying) {
                EXPECT_LE(sim().transferCount(), identificationEnd);
            } else {
                EXPECT_EQ(sim().transferCount(), at);
            }
            EXPECT_NE(outcome.result, OperationResult::NoDevice);
            EXPECT_NE(sim().fileName(0).rfind("USBC", 0), 0u);
            EXPECT_NE(sim().fileName(2).rfind("USBC", 0), 0u);
        }
    }
}

std::string SweepName(const ::testing::TestParamInfo<FaultSweep::ParamType>& info) {
    static const char* const kNames[] = {"RomWrite",  "RomRead",  "RomVerify",
                                         "SaveWrite", "SaveRead", "Clear"};
    return std::string(kNames[std::get<0>(info.param)]) +
           (std::get<1>(info.param) == Fault::Stall ? "Stall" : "Disconnect");
}

INSTANTIATE_TEST_SUITE_P(AllOperations, FaultSweep,
                         ::testing::Combine(::testing::Range(0, 6),
                                            ::testing::Values(Fault::Disconnect, Fault::Stall)),
                         SweepName);

}  // namespace
}  // namespace nuvrel
