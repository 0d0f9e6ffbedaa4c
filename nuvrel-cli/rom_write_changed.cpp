// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "rom_write_changed.h"

#include <sys/stat.h>

#include <chrono>
#include <cstdio>
#include <thread>

#include "cli_failure.h"
#include "genesis/rom_changed_writer.h"
#include "operation_report.h"
#include "printable_text.h"

namespace nuvrel::cli {
namespace {

using namespace std::chrono_literals;

constexpr auto kWatchPoll = 200ms;
// A build writes its image in several steps; the file must look the same this long before it is
// taken.
constexpr auto kWatchSettle = 500ms;

int RunOnce(const ImageOptions& image, bool verify, const ChangedOnlyOptions& options) {
    const PreparedImage prepared = PrepareImageForDevice(image);
    ChangedSectorCount count;
    RomChangedWriteRequest request;
    request.image = prepared.rom;
    request.verify = verify;
    request.unitsPerRead = static_cast<std::uint8_t>(options.chunk);
    request.count = &count;
    std::FILE* out = TextOutput(image.json);
    return RunAndReport(
        512, WriteChangedRom, request, "Can't open file: " + ShownArgument(image.image), out, [&] {
            std::fprintf(out, "Sectors rewritten: %u of %u\n", count.rewritten, count.compared);
            ReportDigest(image.image, prepared.digest, prepared.dat, kStatusWriteComplete,
                         image.json);
        });
}

struct FileStamp {
    bool present = false;
    off_t size = 0;
    timespec modified{};

    bool operator==(const FileStamp& other) const {
        return present == other.present && size == other.size &&
               modified.tv_sec == other.modified.tv_sec &&
               modified.tv_nsec == other.modified.tv_nsec;
    }
};

FileStamp StampOf(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        return {};
    }
    return {true, info.st_size, info.st_mtim};
}

// Blocks until the file has changed from `last` and then stayed the same for the settle time;
// returns its new stamp. Ctrl-C ends the program meanwhile, as nothing is in flight.
FileStamp AwaitChange(const std::string& path, const FileStamp& last) {
    FileStamp seen = last;
    auto steadySince = std::chrono::steady_clock::now();
    for (;;) {
        std::this_thread::sleep_for(kWatchPoll);
        const FileStamp now = StampOf(path);
        if (!(now == seen)) {
            seen = now;
            steadySince = std::chrono::steady_clock::now();
            continue;
        }
        if (seen.present && !(seen == last) &&
            std::chrono::steady_clock::now() - steadySince >= kWatchSettle) {
            return seen;
        }
    }
}

}  // namespace

void AddChangedOnlyOptions(CLI::App& command, CLI::Option* fastErase, ChangedOnlyOptions& options) {
    CLI::Option* changed = command.add_flag(
        "--changed-only", options.changedOnly,
        "Read the cartridge sector by sector and reprogram only the sectors that differ");
    changed->excludes(fastErase);
    command
        .add_flag("--watch", options.watch,
                  "With --changed-only: reprogram again whenever IMAGE changes, until Ctrl-C")
        ->needs(changed);
    command
        .add_option("--compare-chunk", options.chunk,
                    "With --changed-only: 64-byte units per comparison read, 16 to 255 (default "
                    "16, what every device answers)")
        ->check(CLI::Range(16, 255))
        ->needs(changed);
}

int RunChangedWrite(const ImageOptions& image, bool verify, const ChangedOnlyOptions& options) {
    if (!options.watch) {
        return RunOnce(image, verify, options);
    }
    std::FILE* out = TextOutput(image.json);
    FileStamp stamp = StampOf(image.image);
    for (;;) {
        // A run that fails (an image caught half written, a device unplugged) is reported and
        // the watch goes on; Ctrl-C during a run stops the run and the watch.
        try {
            RunOnce(image, verify, options);
        } catch (const CliFailure& failure) {
            if (failure.code() == kExitInterrupted) {
                throw;
            }
            std::fflush(out);
            std::fprintf(stderr, "%s\n", failure.what());
        }
        if (InterruptRequestsCancel::requested()) {
            return kExitInterrupted;  // Ctrl-C came as the run was finishing
        }
        std::fprintf(out, "Watching %s for changes (Ctrl-C ends)\n",
                     ShownArgument(image.image).c_str());
        std::fflush(out);
        stamp = AwaitChange(image.image, stamp);
    }
}

}  // namespace nuvrel::cli
