// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Malformed and oversized messages on either end of the socket: neither the library's backend
// nor the simulator may overrun a buffer, hang past its timeout or stop serving others.
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <array>
#include <functional>
#include <thread>

#include "sim_fixture.h"
#include "transport/virtual_device_backend.h"
#include "transport/virtual_device_protocol.h"

namespace velksim_test {
namespace {

namespace vdev = velk::vdev;
using std::chrono::milliseconds;

sockaddr_un addressOf(const std::string& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof(address.sun_path), "%s", path.c_str());
    return address;
}

// Waits (bounded) for one message on fd; empty when none came or the peer hung up.
Bytes receiveMessage(int fd, int timeoutMs = 2000) {
    pollfd entry{fd, POLLIN, 0};
    if (::poll(&entry, 1, timeoutMs) <= 0) {
        return {};
    }
    Bytes message(vdev::kMaxFrameBytes + 64);
    const ssize_t got = ::recv(fd, message.data(), message.size(), MSG_DONTWAIT);
    message.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
    return message;
}

// A device of our own making behind a socket in the folder the library searches: each request
// it receives is answered with whatever `answer` returns for it (no bytes: no answer at all;
// nothing: hang up).
class HandmadeDevice {
  public:
    using Answer = std::function<std::optional<Bytes>(const vdev::FrameHeader&)>;

    explicit HandmadeDevice(Answer answer) : answer_(std::move(answer)) {
        const std::filesystem::path folder = vdev::socketFolder();
        std::filesystem::create_directories(folder);
        std::filesystem::permissions(folder, std::filesystem::perms::owner_all);
        const std::string path = (folder / "handmade.sock").string();
        listener_ = ::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
        const sockaddr_un address = addressOf(path);
        if (::bind(listener_, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0 ||
            ::listen(listener_, 4) != 0) {
            ADD_FAILURE() << "cannot listen on " << path;
        }
    }
    ~HandmadeDevice() {
        if (thread_.joinable()) {
            thread_.join();
        }
        if (peer_ >= 0) {
            ::close(peer_);
        }
        ::close(listener_);
    }

    // Opens the device through the backend and starts answering. The device welcomes the host
    // that says hello; connections that hang up first (the enumeration's probe) are passed over.
    std::unique_ptr<velk::Connection> open() {
        thread_ = std::thread([this] {
            if (welcomeHost()) {
                serve();
            }
        });
        velk::Backend* backend = velk::virtualDeviceBackend();
        std::unique_ptr<velk::Connection> connection;
        for (const std::string& path : backend->enumerate()) {
            if (path.find("handmade.sock") != std::string::npos) {
                connection = backend->open(path).connection;
            }
        }
        return connection;
    }

  private:
    bool welcomeHost() {
        for (;;) {
            pollfd entry{listener_, POLLIN, 0};
            if (::poll(&entry, 1, 5000) <= 0) {
                return false;
            }
            peer_ = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
            const auto hello = vdev::decodeFrame(receiveMessage(peer_));
            if (hello && hello->kind == vdev::FrameKind::Hello) {
                const Bytes welcome = vdev::encodeFrame(
                    {vdev::FrameKind::Welcome, vdev::FrameStatus::Ok, hello->sequence, 0});
                ::send(peer_, welcome.data(), welcome.size(), MSG_NOSIGNAL);
                return true;
            }
            ::close(peer_);
            peer_ = -1;
        }
    }

    void serve() {
        for (;;) {
            const Bytes request = receiveMessage(peer_);
            const auto header = vdev::decodeFrame(request);
            if (!header) {
                break;
            }
            const std::optional<Bytes> reply = answer_(*header);
            if (!reply) {
                break;
            }
            if (!reply->empty()) {
                ::send(peer_, reply->data(), reply->size(), MSG_NOSIGNAL);
            }
        }
        ::shutdown(peer_, SHUT_RDWR);
    }

    Answer answer_;
    int listener_ = -1;
    int peer_ = -1;
    std::thread thread_;
};

Bytes frame(vdev::FrameKind kind, std::uint32_t sequence, const Bytes& payload) {
    return vdev::encodeFrame(
        {kind, vdev::FrameStatus::Ok, sequence, static_cast<std::uint32_t>(payload.size())},
        payload);
}

class BackendAgainstABadDevice : public ::testing::Test {
  protected:
    velksim::ScopedRuntimeDir runtime_;
};

TEST_F(BackendAgainstABadDevice, MalformedRepliesFailAndOversizedOnesStayWithinTheBuffer) {
    int step = 0;
    HandmadeDevice fake([&step](const vdev::FrameHeader& request) -> std::optional<Bytes> {
        switch (step++) {
            case 0:
                return Bytes{'D', 0, 0};  // too short to be a frame
            case 1: {
                Bytes lying = frame(vdev::FrameKind::InData, request.sequence, Bytes(8, 1));
                vdev::putLittle32(lying.data() + 8, 4096);  // claims more than it carries
                return lying;
            }
            case 2:
                return frame(vdev::FrameKind::OutAck, request.sequence, {});  // wrong kind
            case 3:
                return frame(vdev::FrameKind::InData, request.sequence, Bytes(1000, 0x5A));
            default:
                return std::nullopt;
        }
    });
    auto connection = fake.open();
    ASSERT_TRUE(connection);

    std::array<std::uint8_t, 64> buffer{};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(connection->bulkIn(buffer, milliseconds(2000)).status,
                  velk::TransferStatus::Failed)
            << "malformed reply " << i;
    }
    // More bytes than asked for: only the asked-for part is delivered, nothing past it written.
    buffer.fill(0);
    const auto result =
        connection->bulkIn(std::span<std::uint8_t>(buffer).first(16), milliseconds::max());
    ASSERT_TRUE(result.ok()) << "a timeout too long for the clock must not end the wait at once";
    EXPECT_EQ(result.count, 16u);
    EXPECT_EQ(buffer[15], 0x5A);
    EXPECT_EQ(buffer[16], 0);

    // The device hangs up: that is an unplugged device, and it stays one.
    EXPECT_EQ(connection->bulkIn(buffer, milliseconds(2000)).status,
              velk::TransferStatus::NoDevice);
    EXPECT_EQ(connection->bulkOut(Bytes(31, 0), milliseconds(2000)).status,
              velk::TransferStatus::NoDevice);
}

TEST_F(BackendAgainstABadDevice, DeviceThatNeverAnswersTimesOutWithinTheGivenTime) {
    HandmadeDevice fake([](const vdev::FrameHeader&) -> std::optional<Bytes> {
        return Bytes{};  // takes the request and stays silent
    });
    auto connection = fake.open();
    ASSERT_TRUE(connection);
    std::array<std::uint8_t, 8> buffer{};
    const auto result = connection->bulkIn(buffer, milliseconds(300));
    EXPECT_EQ(result.status, velk::TransferStatus::TimedOut);
    EXPECT_EQ(result.count, 0u);
}

class SimulatorAgainstABadHost : public SimTest {
  protected:
    int rawClient() {
        const int fd = ::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
        const sockaddr_un address = addressOf(sim().socketPath().string());
        EXPECT_EQ(::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)), 0);
        return fd;
    }
    // A raw client that has completed the open handshake: the device is its own.
    int openedRawClient() {
        const int fd = rawClient();
        const Bytes hello =
            vdev::encodeFrame({vdev::FrameKind::Hello, vdev::FrameStatus::Ok, 7, 0});
        EXPECT_EQ(::send(fd, hello.data(), hello.size(), MSG_NOSIGNAL),
                  static_cast<ssize_t>(hello.size()));
        const auto welcome = vdev::decodeFrame(receiveMessage(fd));
        EXPECT_TRUE(welcome && welcome->kind == vdev::FrameKind::Welcome &&
                    welcome->status == vdev::FrameStatus::Ok && welcome->sequence == 7);
        return fd;
    }
    // True when the simulator closed the connection.
    static bool hungUp(int fd) {
        pollfd entry{fd, POLLIN, 0};
        if (::poll(&entry, 1, 2000) <= 0) {
            return false;
        }
        std::array<std::uint8_t, 16> scratch{};
        return ::recv(fd, scratch.data(), scratch.size(), MSG_DONTWAIT) == 0;
    }
};

TEST_F(SimulatorAgainstABadHost, MalformedAndOversizedFramesDropOnlyThatHost) {
    plugIn();
    const int garbage = rawClient();
    const Bytes junk{'Q', 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    ASSERT_EQ(::send(garbage, junk.data(), junk.size(), MSG_NOSIGNAL), 13);
    EXPECT_TRUE(hungUp(garbage));
    ::close(garbage);

    const int oversized = rawClient();
    const Bytes huge = frame(vdev::FrameKind::Out, 1, Bytes(vdev::kMaxPayloadBytes + 100, 0x55));
    ASSERT_EQ(::send(oversized, huge.data(), huge.size(), MSG_NOSIGNAL),
              static_cast<ssize_t>(huge.size()));
    EXPECT_TRUE(hungUp(oversized));
    ::close(oversized);

    // The library's own connection is served as before.
    DeviceInfoRecord record;
    EXPECT_TRUE(ReadDeviceInfo(device(), &record, VELK_SELECTOR_DATA_BUS));
    EXPECT_STREQ(record.firmwareVersion, "02.06.09c");
}

TEST_F(SimulatorAgainstABadHost, TransferTooLargeForAFrameIsRefusedBeforeItIsSent) {
    plugIn();
    CloseVelkDevice(device_);  // the backend's own connection is the device's one host
    device_ = nullptr;
    velk::Backend* backend = velk::virtualDeviceBackend();
    const auto paths = backend->enumerate();
    ASSERT_EQ(paths.size(), 1u);
    auto connection = backend->open(paths[0]).connection;
    ASSERT_TRUE(connection);
    sim().clearCommandLog();
    Bytes tooLarge(vdev::kMaxPayloadBytes + 1, 0);
    const char signature[] = "USBC";
    std::copy(signature, signature + 4, tooLarge.begin());
    EXPECT_EQ(connection->bulkOut(tooLarge, milliseconds(2000)).status,
              velk::TransferStatus::Failed);
    EXPECT_TRUE(sim().protocolErrors().empty());  // nothing reached the device
    EXPECT_EQ(sim().transferCount(), 0u);
    // The connection is still good for ordinary transfers.
    Bytes info(31, 0);
    std::copy(signature, signature + 4, info.begin());
    info[15] = 0x67;
    info[16] = 0x22;
    info[17] = 0x55;
    ASSERT_TRUE(connection->bulkOut(info, milliseconds(2000)).ok());
    std::array<std::uint8_t, 64> reply{};
    const auto result = connection->bulkIn(reply, milliseconds(2000));
    ASSERT_TRUE(result.ok());
    EXPECT_EQ(reply[3], 'c');
}

TEST_F(SimulatorAgainstABadHost, HugeReplyRequestGetsOnlyThePendingReply) {
    plugIn();
    CloseVelkDevice(device_);
    device_ = nullptr;
    const int host = openedRawClient();
    Bytes query(31, 0);
    const char signature[] = "USBC";
    std::copy(signature, signature + 4, query.begin());
    query[15] = 0x67;
    query[16] = 0x4C;  // chip 0, manufacturer word
    const Bytes out = frame(vdev::FrameKind::Out, 1, query);
    ASSERT_EQ(::send(host, out.data(), out.size(), MSG_NOSIGNAL), static_cast<ssize_t>(out.size()));
    const auto ack = vdev::decodeFrame(receiveMessage(host));
    ASSERT_TRUE(ack);
    EXPECT_EQ(ack->kind, vdev::FrameKind::OutAck);

    const Bytes in =
        vdev::encodeFrame({vdev::FrameKind::In, vdev::FrameStatus::Ok, 2, 0xFFFFFFFFu});
    ASSERT_EQ(::send(host, in.data(), in.size(), MSG_NOSIGNAL), static_cast<ssize_t>(in.size()));
    const Bytes answer = receiveMessage(host);
    const auto header = vdev::decodeFrame(answer);
    ASSERT_TRUE(header);
    EXPECT_EQ(header->sequence, 2u);
    ASSERT_EQ(header->length, 2u);
    EXPECT_EQ(answer[vdev::kHeaderBytes], 0x00);  // 0x0100F922: manufacturer word 0x0100
    EXPECT_EQ(answer[vdev::kHeaderBytes + 1], 0x01);
    ::close(host);
}

}  // namespace
}  // namespace velksim_test
