// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// What the engines do with the files they are given: a destination that is read-only, a symbolic
// link or in a folder that takes no new files, and inputs that are not regular files.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <functional>

#include "engine/input_file.h"
#include "engine/replacing_file.h"
#include "genesis/genesis_header.h"
#include "genesis/rom_image.h"
#include "genesis/rom_reader.h"
#include "patches/patch_file.h"
#include "recording_sink.h"
#include "saveram/save_ram.h"
#include "virtual_device_fixture.h"

namespace nuvrel {
namespace {

namespace fs = std::filesystem;
using testing::ReadWholeFile;
using testing::RecordingSink;

const std::vector<std::uint8_t> kOld(2048, 0x5A);

mode_t ModeOf(const fs::path& path) {
    struct stat info {};
    ::stat(path.c_str(), &info);
    return info.st_mode & 07777;
}

// Both read-backs and the patch-file save go through the same replacing file; each writes the
// destination in its own way.
struct Writer {
    const char* name;
    std::function<bool(testing::VirtualDeviceTest&, const std::string&)> write;
};

class Destinations : public testing::VirtualDeviceTest, public ::testing::WithParamInterface<int> {
  protected:
    void SetUp() override { plug(); }

    static std::vector<Writer> writers() {
        return {
            {"rom read",
             [](testing::VirtualDeviceTest&, const std::string& path) {
                 RecordingSink sink;
                 RomReadRequest request;
                 request.outputPath = path;
                 request.length = 4096;
                 return ReadRom(request, sink).succeeded();
             }},
            {"save read",
             [](testing::VirtualDeviceTest&, const std::string& path) {
                 RecordingSink sink;
                 SaveRamReadRequest request;
                 request.outputPath = path;
                 request.length = 4096;
                 return ReadSaveRam(request, sink).succeeded();
             }},
            {"patch file save",
             [](testing::VirtualDeviceTest&, const std::string& path) {
                 PatchList list;
                 list.AppendPatchRow(0x200, 0x4E71, "AAAA-AAAA");
                 return SavePatchFile(path, list) == PatchFileResult::Ok;
             }},
        };
    }
    const Writer& writer() const {
        static const std::vector<Writer> all = writers();
        return all[static_cast<std::size_t>(GetParam())];
    }
};

TEST_P(Destinations, AReadOnlyDestinationIsRefusedAndKeptAsItWas) {
    const std::string path = folder_.write("old.bin", kOld);
    ::chmod(path.c_str(), 0444);
    EXPECT_FALSE(writer().write(*this, path));
    EXPECT_EQ(ReadWholeFile(path), kOld);
    EXPECT_EQ(ModeOf(path), 0444u);
    EXPECT_EQ(folder_.entries().size(), 1u);
}

TEST_P(Destinations, ASymbolicLinkIsWrittenThroughAndTheTargetKeepsItsPermissions) {
    const fs::path target = folder_.file("target.bin");
    folder_.write("target.bin", kOld);
    ::chmod(target.c_str(), 0640);
    const fs::path link = folder_.file("link.bin");
    fs::create_symlink("target.bin", link);

    ASSERT_TRUE(writer().write(*this, link.string()));
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_NE(ReadWholeFile(target), kOld);
    EXPECT_EQ(ModeOf(target), 0640u);
    EXPECT_EQ(folder_.entries().size(), 2u);
}

std::string WriterName(const ::testing::TestParamInfo<int>& info) {
    static const char* const kNames[] = {"RomRead", "SaveRead", "PatchFileSave"};
    return kNames[info.param];
}

INSTANTIATE_TEST_SUITE_P(EveryReplacingWrite, Destinations, ::testing::Range(0, 3), WriterName);

// A folder that takes no new files. No permission bit stops root, so root makes the save as an
// unprivileged user in a child process, in a folder that user may not write.
TEST(ReplacingWrite, AFolderThatTakesNoNewFilesKeepsTheOldDestination) {
    testing::TempFolder folder;
    fs::create_directory(folder.file("locked"));
    const std::string path = folder.write("locked/old.txt", kOld);
    PatchList list;
    list.AppendPatchRow(0x200, 0x4E71, "AAAA-AAAA");
    PatchFileResult result = PatchFileResult::Ok;
    if (::geteuid() == 0) {
        constexpr uid_t kNobody = 65534;
        ASSERT_EQ(::chmod(folder.file("").c_str(), 0755), 0);
        ASSERT_EQ(::chown(path.c_str(), kNobody, kNobody), 0);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            if (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0) {
                ::_exit(100);
            }
            ::_exit(static_cast<int>(SavePatchFile(path, list)));
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        ASSERT_TRUE(WIFEXITED(status));
        ASSERT_NE(WEXITSTATUS(status), 100) << "could not become an unprivileged user";
        result = static_cast<PatchFileResult>(WEXITSTATUS(status));
    } else {
        ::chmod(folder.file("locked").c_str(), 0555);
        result = SavePatchFile(path, list);
        ::chmod(folder.file("locked").c_str(), 0755);
    }
    EXPECT_EQ(result, PatchFileResult::CannotWrite);
    EXPECT_EQ(ReadWholeFile(path), kOld);
    EXPECT_EQ(
        std::distance(fs::directory_iterator(folder.file("locked")), fs::directory_iterator()), 1);
}

// Both kinds of scratch file, whichever the folder's file system would choose: a complete file
// replaces the destination and nothing else is left; a writer killed half way leaves the old
// destination and, of the named kind, one leftover that the next writer into the folder removes.
class ScratchKinds : public ::testing::TestWithParam<ScratchFile::Kind> {
  protected:
    testing::TempFolder folder_;
};

TEST_P(ScratchKinds, ACommittedFileReplacesTheDestinationAndLeavesNothingElse) {
    const std::string path = folder_.write("old.bin", kOld);
    ::chmod(path.c_str(), 0640);
    const std::vector<std::uint8_t> fresh(1000, 0xA5);
    ReplacingFile file(path, GetParam());
    ASSERT_EQ(file.open(), ReplacingFile::OpenResult::Opened);
    ASSERT_TRUE(file.write(fresh.data(), fresh.size()));
    ASSERT_TRUE(file.commit());
    EXPECT_EQ(ReadWholeFile(path), fresh);
    EXPECT_EQ(ModeOf(path), 0640u);
    EXPECT_EQ(folder_.entries(), std::vector<std::string>{"old.bin"});
}

TEST_P(ScratchKinds, AWriterKilledHalfWayLeavesNothingTheNextWriterKeeps) {
    const std::string path = folder_.write("old.bin", kOld);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ReplacingFile file(path, GetParam());
        const std::vector<std::uint8_t> half(100000, 0x11);
        if (file.open() == ReplacingFile::OpenResult::Opened &&
            file.write(half.data(), half.size())) {
            ::raise(SIGKILL);
        }
        ::_exit(1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the child could not write";
    EXPECT_EQ(ReadWholeFile(path), kOld);
    const bool unnamed =
        GetParam() == ScratchFile::Kind::Unnamed && testing::TakesUnnamedFiles(folder_.file(""));
    EXPECT_EQ(folder_.entries().size(), unnamed ? 1u : 2u);

    {
        ReplacingFile next(folder_.file("other.bin").string(), GetParam());
        ASSERT_EQ(next.open(), ReplacingFile::OpenResult::Opened);
    }
    EXPECT_EQ(folder_.entries(), std::vector<std::string>{"old.bin"});
}

std::string KindName(const ::testing::TestParamInfo<ScratchFile::Kind>& info) {
    return info.param == ScratchFile::Kind::Named ? "Named" : "Unnamed";
}

INSTANTIATE_TEST_SUITE_P(UnnamedAndNamed, ScratchKinds,
                         ::testing::Values(ScratchFile::Kind::Unnamed, ScratchFile::Kind::Named),
                         KindName);

// Special files never reach a read: /dev/zero would never end, a FIFO without a writer would
// block, a folder means nothing.
class SpecialInputs : public ::testing::TestWithParam<const char*> {
  protected:
    void SetUp() override {
        fifo_ = folder_.file("fifo");
        ASSERT_EQ(::mkfifo(fifo_.c_str(), 0600), 0);
    }
    std::string path() const {
        const std::string which = GetParam();
        if (which == "fifo") {
            return fifo_.string();
        }
        return which == "folder" ? folder_.file("").string() : which;
    }
    testing::TempFolder folder_;
    fs::path fifo_;
};

TEST_P(SpecialInputs, AreRefusedAsNotRegularWithoutReading) {
    EXPECT_EQ(InputFile(path()).status(), InputFile::Status::NotRegular);
    const ImageCheck check = CheckInputImage(path());
    EXPECT_FALSE(check.usable);
    EXPECT_TRUE(check.notRegularFile);
    EXPECT_FALSE(ReadGenesisHeaderFromFile(path()));
    PatchList list;
    list.AppendPatchRow(1, 2, "code");
    EXPECT_EQ(LoadPatchFile(path(), 0x10000, list), PatchFileResult::NotRegularFile);
    EXPECT_EQ(list.size(), 1u);
}

std::string InputName(const ::testing::TestParamInfo<const char*>& info) {
    const std::string name = info.param;
    return name == "/dev/zero" ? std::string("DevZero") : name;
}

INSTANTIATE_TEST_SUITE_P(DeviceFifoFolder, SpecialInputs,
                         ::testing::Values("/dev/zero", "fifo", "folder"), InputName);

}  // namespace
}  // namespace nuvrel
