// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// One host per device, as with a claimed USB interface: a second program is refused at open and
// told why, and a program that closes and reopens is never refused by its own old connection.
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "sim_fixture.h"
#include "transport/virtual_device_protocol.h"

namespace velksim_test {
namespace {

using velksim::OtherHost;

// The library's messages, as the program's handler would receive them.
struct Messages {
    std::vector<std::string> texts;
    std::vector<int> icons;
};

void VELK_CALL collect(void* context, const char*, const char* text, int icon) {
    auto* messages = static_cast<Messages*>(context);
    messages->texts.emplace_back(text);
    messages->icons.push_back(icon);
}

class OneHost : public SimTest {
  protected:
    // The device plugged in and open, the library's messages collected.
    void plugInWatched() {
        plugIn();
        SetVelkMessageHandler(&collect, &messages_);
    }
    void closeLibraryDevice() {
        CloseVelkDevice(device_);
        device_ = nullptr;
    }
    Messages messages_;
};

TEST_F(OneHost, AnotherHostIsRefusedWhileTheLibraryHoldsTheDeviceAndWelcomeAfter) {
    plugInWatched();
    EXPECT_EQ(OtherHost(sim().socketPath()).answer(), OtherHost::Answer::InUse);
    closeLibraryDevice();
    OtherHost other(sim().socketPath());
    EXPECT_EQ(other.answer(), OtherHost::Answer::Welcome);
}

TEST_F(OneHost, LibraryRefusedByADeviceAnotherHostHoldsSaysSoOnceAndOpensWhenItIsFree) {
    plugInWatched();
    closeLibraryDevice();
    OtherHost other(sim().socketPath());
    ASSERT_TRUE(other.holds());
    sim().clearCommandLog();

    EXPECT_EQ(OpenVelkDevice(), VELK_INVALID_DEVICE);
    ASSERT_EQ(messages_.texts.size(), 1u);
    EXPECT_EQ(messages_.texts[0], "Velk device in use by another program");
    EXPECT_EQ(messages_.icons[0], VELK_ICON_REFUSAL);
    EXPECT_TRUE(sim().commandLog().empty()) << "a refused host must reach nothing";

    other.release();
    device_ = OpenVelkDevice();
    ASSERT_NE(device_, VELK_INVALID_DEVICE);
    DeviceInfoRecord record;
    EXPECT_TRUE(ReadDeviceInfo(device(), &record, VELK_SELECTOR_DATA_BUS));
    EXPECT_EQ(messages_.texts.size(), 1u);
}

TEST_F(OneHost, RefusingANewcomerLeavesTheHoldersExchangeIntact) {
    plugInWatched();
    Bytes block(31, 0);
    const char signature[] = "USBC";
    std::copy(signature, signature + 4, block.begin());
    block[15] = 0x67;
    block[16] = 0x22;
    block[17] = 0x55;
    std::uint32_t count = 0;
    ASSERT_NE(Write(device(), block.data(), 31, &count, nullptr), 0);
    EXPECT_EQ(OtherHost(sim().socketPath()).answer(), OtherHost::Answer::InUse);
    std::uint8_t reply[64] = {};
    ASSERT_NE(Read(device(), reply, 64, &count, nullptr), 0);
    EXPECT_EQ(reply[3], 'c');
    EXPECT_TRUE(sim().protocolErrors().empty());
}

// The library opens and closes around every query (IsVelkBrivo(nullptr), then its own open):
// each close is followed at once by the next open, which must find the device free every time.
TEST_F(OneHost, CloseThenReopenAtOnceIsNeverRefused) {
    plugInWatched();
    closeLibraryDevice();
    for (int round = 0; round < 200; ++round) {
        ASSERT_EQ(IsVelkBrivo(nullptr), 1) << "round " << round;
        const DeviceHandle device = OpenVelkDevice();
        ASSERT_NE(device, VELK_INVALID_DEVICE) << "round " << round;
        std::uint32_t counter = 0;
        ASSERT_TRUE(ReadErasingCount(device, &counter, 0));
        CloseVelkDevice(device);
        OtherHost next(sim().socketPath());
        ASSERT_EQ(next.answer(), OtherHost::Answer::Welcome) << "round " << round;
    }
    EXPECT_TRUE(messages_.texts.empty());
}

TEST_F(OneHost, TransfersFromAHostThatNeverOpenedTheDeviceAreDropped) {
    plugInWatched();
    closeLibraryDevice();
    sim().clearCommandLog();
    const int fd = ::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof(address.sun_path), "%s", sim().socketPath().c_str());
    ASSERT_EQ(::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)), 0);
    Bytes block(31, 0);
    block[0] = 'U';
    const Bytes out = velk::vdev::encodeFrame(
        {velk::vdev::FrameKind::Out, velk::vdev::FrameStatus::Ok, 1, 31}, block);
    ASSERT_EQ(::send(fd, out.data(), out.size(), MSG_NOSIGNAL), static_cast<ssize_t>(out.size()));
    pollfd entry{fd, POLLIN, 0};
    ASSERT_EQ(::poll(&entry, 1, 5000), 1);
    std::uint8_t scratch[16];
    EXPECT_EQ(::recv(fd, scratch, sizeof scratch, MSG_DONTWAIT), 0) << "hung up without answer";
    ::close(fd);
    EXPECT_TRUE(sim().commandLog().empty());
    EXPECT_EQ(sim().transferCount(), 0u);
}

TEST_F(OneHost, UnplugReleasesTheDeviceForWhoeverComesNext) {
    plugInWatched();
    closeLibraryDevice();
    OtherHost other(sim().socketPath());
    ASSERT_TRUE(other.holds());
    sim().stop();
    ASSERT_TRUE(sim().start());
    device_ = OpenVelkDevice();  // the other host's connection died with the power
    EXPECT_NE(device_, VELK_INVALID_DEVICE);
}

}  // namespace
}  // namespace velksim_test
