// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Unplugging, stalls and short replies as the library sees them through the socket backend.
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <array>
#include <thread>

#include "sim_fixture.h"
#include "transport/virtual_device_backend.h"
#include "transport/virtual_device_protocol.h"

namespace velksim_test {
namespace {

using velksim::DeviceConfig;
using velksim::FaultOptions;

class Unplugging : public SimTest {};

TEST_F(Unplugging, UnplugInTheMiddleOfAReadFailsClearsBusyAndTheDeviceIsFoundAgain) {
    plugIn();
    FaultOptions faults;
    faults.disconnectAfterTransfers = 5;  // two and a half ReadSector exchanges
    sim().setFaults(faults);
    SetVelkDeviceProcessed(1);
    Bytes buffer(1024);
    bool failed = false;
    for (int i = 0; i < 4 && !failed; ++i) {
        failed = !ReadSector(device(), buffer.data(), static_cast<std::uint32_t>(i * 512), 16);
    }
    EXPECT_TRUE(failed);
    EXPECT_EQ(IsVelkDeviceProcessed(), 0);
    EXPECT_FALSE(sim().plugged());
    EXPECT_FALSE(std::filesystem::exists(sim().socketPath()));
    CloseVelkDevice(device_);
    device_ = nullptr;

    EXPECT_EQ(OpenVelkDevice(), VELK_INVALID_DEVICE);  // nothing there now
    ASSERT_TRUE(sim().start());
    device_ = OpenVelkDevice();
    ASSERT_NE(device_, VELK_INVALID_DEVICE);
    EXPECT_TRUE(ReadSector(device(), buffer.data(), 0, 16));
}

TEST_F(Unplugging, HostThatSeesTheUnplugFindsNoDeviceUntilItIsBack) {
    plugIn();
    // The window between a dropped connection and a vanished socket is short; repeat to hit it.
    for (int round = 0; round < 100; ++round) {
        FaultOptions faults;
        faults.disconnectAfterTransfers = 2;
        sim().setFaults(faults);
        DeviceInfoRecord record;
        ASSERT_TRUE(ReadDeviceInfo(device(), &record, VELK_SELECTOR_DATA_BUS));
        ASSERT_FALSE(ReadDeviceInfo(device(), &record, VELK_SELECTOR_DATA_BUS));
        CloseVelkDevice(device_);
        device_ = OpenVelkDevice();
        ASSERT_EQ(device_, VELK_INVALID_DEVICE) << "round " << round;
        ASSERT_TRUE(sim().start());
        device_ = OpenVelkDevice();
        ASSERT_NE(device_, VELK_INVALID_DEVICE);
    }
}

TEST_F(Unplugging, UnpluggedDeviceComesBackInItsPowerUpStateWithItsMemory) {
    DeviceConfig config;
    config.erasePolls = 5;
    plugIn(config);  // model c
    const Bytes zeros(512, 0);
    ASSERT_TRUE(WriteSector(device(), zeros.data(), 0x1000, 8));  // SA01
    Compatibility(device(), VELK_COMPAT_SAVE_RAM_MODE);
    ASSERT_EQ(sim().window(), velksim::Window::SaveRam);
    ASSERT_TRUE(EraseSector(device(), 0x1000, 0, VELK_ERASE_SECTOR));  // still running
    CloseVelkDevice(device_);
    device_ = nullptr;

    sim().stop();
    ASSERT_TRUE(sim().start());
    device_ = OpenVelkDevice();
    ASSERT_NE(device_, VELK_INVALID_DEVICE);
    EXPECT_EQ(sim().window(), velksim::Window::Rom);
    // The erase died with the power: the sector holds what it held, and the chip takes commands.
    Bytes back(512);
    ASSERT_TRUE(ReadSector(device(), back.data(), 0x1000, 8));
    EXPECT_EQ(back, zeros);
    EXPECT_EQ(sim().sectorEraseCount(0x2000), 0u);
    ASSERT_TRUE(EraseSector(device(), 0x1000, 1, VELK_ERASE_SECTOR));
    ASSERT_TRUE(ReadSector(device(), back.data(), 0x1000, 8));
    EXPECT_EQ(back, Bytes(512, 0xFF));
    for (const std::string& error : sim().protocolErrors()) {
        EXPECT_EQ(error.find("erasing"), std::string::npos) << error;
    }
}

TEST_F(Unplugging, DeviceComesBackByItselfAfterTheReplugDelay) {
    plugIn();
    FaultOptions faults;
    faults.disconnectAfterTransfers = 1;
    faults.replugAfter = std::chrono::milliseconds(100);
    sim().setFaults(faults);
    std::uint32_t counter = 0;
    ReadErasingCount(device(), &counter, 0);  // block sent, then the device is gone
    CloseVelkDevice(device_);
    device_ = nullptr;

    // Bounded wait for the device to reappear.
    for (int attempt = 0; attempt < 200 && device_ == nullptr; ++attempt) {
        const DeviceHandle handle = OpenVelkDevice();
        if (handle != VELK_INVALID_DEVICE) {
            device_ = handle;
        } else {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }
    ASSERT_NE(device_, nullptr);
    DeviceInfoRecord record;
    EXPECT_TRUE(ReadDeviceInfo(device(), &record, VELK_SELECTOR_DATA_BUS));
}

TEST_F(Unplugging, StoppedDeviceIsNotFoundAndItsSocketIsGone) {
    plugIn();
    CloseVelkDevice(device_);
    device_ = nullptr;
    sim().stop();
    EXPECT_FALSE(std::filesystem::exists(sim().socketPath()));
    EXPECT_EQ(OpenVelkDevice(), VELK_INVALID_DEVICE);
}

class Discovery : public SimTest {};

TEST_F(Discovery, SocketFileWithoutListenerIsSkipped) {
    const std::filesystem::path folder = velk::vdev::socketFolder();
    std::filesystem::create_directories(folder);
    // "a-stale.sock" sorts before the device's socket; nobody listens on it.
    const std::string stale = (folder / "a-stale.sock").string();
    const int fd = ::socket(AF_UNIX, SOCK_SEQPACKET, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof(address.sun_path), "%s", stale.c_str());
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
    ::close(fd);  // the file stays, the listener is gone
    ASSERT_TRUE(std::filesystem::exists(stale));

    plugIn();
    DeviceInfoRecord record;
    EXPECT_TRUE(ReadDeviceInfo(device(), &record, VELK_SELECTOR_DATA_BUS));
}

TEST_F(Discovery, DevicesAreTriedInNameOrder) {
    velksim::DeviceConfig second;
    second.model = 'g';
    velksim::ServerOptions secondName;
    secondName.name = "b-second";
    velksim::SimServer other(second, secondName);
    ASSERT_TRUE(other.start());
    velksim::ServerOptions firstName;
    firstName.name = "a-first";
    plugIn({}, firstName);  // model c
    EXPECT_EQ(GetMaxSize(device(), nullptr, 0), 0x400001u);
}

TEST_F(Discovery, SecondSimulatorOnTheSameSocketIsRefused) {
    plugIn();
    velksim::SimServer twin;
    std::string error;
    EXPECT_FALSE(twin.start(&error));
    EXPECT_NE(error.find("already listening"), std::string::npos) << error;
    DeviceInfoRecord record;
    EXPECT_TRUE(ReadDeviceInfo(device(), &record, VELK_SELECTOR_DATA_BUS));
}

TEST_F(Discovery, FolderOthersMayWriteToIsNotTrusted) {
    plugIn();
    CloseVelkDevice(device_);
    device_ = nullptr;
    const std::filesystem::path folder = velk::vdev::socketFolder();
    std::filesystem::permissions(folder, std::filesystem::perms::all);
    EXPECT_EQ(OpenVelkDevice(), VELK_INVALID_DEVICE);
    velksim::ServerOptions options;
    options.name = "another";
    velksim::SimServer other({}, options);
    std::string error;
    EXPECT_FALSE(other.start(&error));
    EXPECT_NE(error.find("only this user may write"), std::string::npos) << error;
    std::filesystem::permissions(folder, std::filesystem::perms::owner_all);
    device_ = OpenVelkDevice();
    EXPECT_NE(device_, VELK_INVALID_DEVICE);
}

Bytes rawBlock(std::initializer_list<std::uint8_t> fromByte16) {
    Bytes b(31, 0);
    const char signature[] = "USBC";
    std::copy(signature, signature + 4, b.begin());
    b[15] = 0x67;
    std::copy(fromByte16.begin(), fromByte16.end(), b.begin() + 16);
    return b;
}

TEST_F(Discovery, LateAnswerToATimedOutTransferIsNotTakenForTheNextOne) {
    plugIn();
    FaultOptions faults;
    faults.stallTransfer = 2;
    faults.stallAnswerAfter = std::chrono::milliseconds(300);
    sim().setFaults(faults);
    CloseVelkDevice(device_);  // the backend's own connection is the device's one host
    device_ = nullptr;
    velk::Backend* backend = velk::virtualDeviceBackend();
    const auto paths = backend->enumerate();
    ASSERT_EQ(paths.size(), 1u);
    auto connection = backend->open(paths[0]).connection;
    ASSERT_TRUE(connection);
    using std::chrono::milliseconds;
    std::array<std::uint8_t, 64> reply{};

    const Bytes query = rawBlock({0x4C, 0x00, 0x00});  // chip 0, manufacturer word
    ASSERT_TRUE(connection->bulkOut(query, milliseconds(2000)).ok());
    EXPECT_EQ(connection->bulkIn(reply, milliseconds(50)).status, velk::TransferStatus::TimedOut);

    const Bytes info = rawBlock({0x22, 0x55});
    ASSERT_TRUE(connection->bulkOut(info, milliseconds(2000)).ok());
    const velk::TransferResult result = connection->bulkIn(reply, milliseconds(2000));
    ASSERT_TRUE(result.ok());
    EXPECT_GT(result.count, 8u);  // the information reply, not the 2-byte chip answer
    EXPECT_EQ(reply[3], 'c');
}

class TransferFaults : public SimTest {};

TEST_F(TransferFaults, StalledTransferTimesOutAndTheNextCommandWorks) {
    plugIn();
    FaultOptions faults;
    faults.stallTransfer = 2;  // the reply request of the first command
    sim().setFaults(faults);
    SetVelkDeviceProcessed(1);
    DeviceInfoRecord record;
    EXPECT_FALSE(ReadDeviceInfo(device(), &record, VELK_SELECTOR_DATA_BUS));
    EXPECT_EQ(IsVelkDeviceProcessed(), 0);
    EXPECT_TRUE(ReadDeviceInfo(device(), &record, VELK_SELECTOR_DATA_BUS));
    EXPECT_STREQ(record.firmwareVersion, "02.06.09c");
}

TEST_F(TransferFaults, ShortReplyDeliversFewerBytes) {
    plugIn();
    FaultOptions faults;
    faults.shortReplyLength = 10;
    faults.shortReplyCommand = 0x52;
    sim().setFaults(faults);
    Bytes request{'U', 'S', 'B', 'C', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x67, 0x52, 0, 0, 0, 1};
    request.resize(31, 0);
    std::uint32_t count = 0;
    ASSERT_NE(Write(device(), request.data(), 31, &count, nullptr), 0);
    std::array<std::uint8_t, 64> buffer{};
    ASSERT_NE(Read(device(), buffer.data(), 64, &count, nullptr), 0);
    EXPECT_EQ(count, 10u);
    // Other commands are answered in full.
    DeviceInfoRecord record;
    EXPECT_TRUE(ReadDeviceInfo(device(), &record, VELK_SELECTOR_DATA_BUS));
    EXPECT_STREQ(record.text1, "12.000MHz");
}

TEST_F(TransferFaults, FullSpeedModelAccountsWireTimePerFrame) {
    DeviceConfig config;
    config.speed = velksim::Speed::FullSpeed;
    plugIn(config);
    const auto before = sim().wireTime();
    Bytes buffer(1024);
    ASSERT_TRUE(ReadSector(device(), buffer.data(), 0, 16));
    // The block and the 16-packet reply are queued together: 17 packets, one frame.
    EXPECT_EQ(sim().wireTime() - before, std::chrono::microseconds(1000));
    Bytes big(16320);
    const auto mid = sim().wireTime();
    ASSERT_TRUE(ReadSector(device(), big.data(), 0, 255));
    // 1 + 255 packets at 19 per frame: 14 frames.
    EXPECT_EQ(sim().wireTime() - mid, std::chrono::microseconds(14000));
    // Transfers made one after the other through the raw exports each start on a new frame.
    const auto raw = sim().wireTime();
    const Bytes info = rawBlock({0x22, 0x55});
    std::uint32_t count = 0;
    ASSERT_NE(Write(device(), info.data(), 31, &count, nullptr), 0);
    ASSERT_NE(Read(device(), buffer.data(), 64, &count, nullptr), 0);
    EXPECT_EQ(sim().wireTime() - raw, std::chrono::microseconds(2000));
}

// A phase queued behind a block the device did not take is withdrawn: it never reaches the
// device (which would take it for the next command's block), and the next command works.
TEST_F(TransferFaults, PhaseQueuedBehindAStalledBlockNeverReachesTheDevice) {
    plugIn();
    FaultOptions faults;
    faults.stallTransfer = 1;
    faults.stallTimesOutAtOnce = true;
    sim().setFaults(faults);
    SetVelkDeviceProcessed(1);
    const Bytes data = pattern(512, 3);
    EXPECT_FALSE(WriteSector(device(), data.data(), 0, 8));
    EXPECT_EQ(IsVelkDeviceProcessed(), 0);
    EXPECT_EQ(sim().transferCount(), 1u);
    EXPECT_EQ(sim().programmedBlocks(), 0u);
    EXPECT_TRUE(sim().protocolErrors().empty());
    DeviceInfoRecord record;
    EXPECT_TRUE(ReadDeviceInfo(device(), &record, VELK_SELECTOR_DATA_BUS));
    EXPECT_STREQ(record.firmwareVersion, "02.06.09c");
}

}  // namespace
}  // namespace velksim_test
