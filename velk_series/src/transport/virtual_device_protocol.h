// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: LGPL-2.1-or-later

// The wire format between the library's virtual-device backend and velk-sim. Both sides include
// this one header, so they cannot drift apart.
//
// One SOCK_SEQPACKET connection per opened device. Like a USB interface that one program has
// claimed, a device serves one host at a time, so a connection begins with an open handshake:
//
//   host -> device  Hello   header, no payload
//   device -> host  Welcome header (status Ok: the device is this host's; InUse: another host
//                           holds it, and the device hangs up after this answer)
//
// A host that hangs up releases the device. After the handshake the host sends one message per
// bulk transfer and the device answers each with exactly one message:
//
//   host -> device  Out    header + the bytes of one bulk OUT transfer ("PIPE01")
//   device -> host  OutAck header (status)
//   host -> device  In     header whose length field is the most bytes the host accepts
//   device -> host  InData header (status) + the reply bytes ("PIPE00"), at most that many
//
// Every message carries a sequence number chosen by the host and echoed by the device, so a
// late answer to a transfer that already timed out on the host is recognised and dropped.
//
// A host may send a command block's transfer and its phase's transfer before awaiting either
// answer, as a USB host queues transfers. It marks the second as queued: on the bus it may share
// the first one's frames, and the device drops it unanswered when the first was not served in
// full (a queued transfer behind a failed one is withdrawn by the host before it reaches the
// device).
// A closed connection or a vanished socket is an unplugged device.
#pragma once

#include <sys/stat.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace velk::vdev {

enum class FrameKind : std::uint8_t {
    Out = 'O',
    OutAck = 'A',
    In = 'I',
    InData = 'D',
    Hello = 'H',
    Welcome = 'W',
};

enum class FrameStatus : std::uint8_t {
    Ok = 0,
    NoData = 1,   // the device has nothing to send: a real device would never answer (time-out)
    Refused = 2,  // the transfer was malformed (too long, unknown kind)
    InUse = 3,    // Welcome only: another host holds the device
};

inline constexpr std::size_t kHeaderBytes = 12;
// Larger than any transfer the library makes (255 x 64 bytes); larger transfers are refused.
inline constexpr std::size_t kMaxPayloadBytes = 65536;
inline constexpr std::size_t kMaxFrameBytes = kHeaderBytes + kMaxPayloadBytes;

inline constexpr std::uint8_t kQueuedFlag = 0x01;

struct FrameHeader {
    FrameKind kind = FrameKind::Out;
    FrameStatus status = FrameStatus::Ok;
    std::uint32_t sequence = 0;
    std::uint32_t length = 0;  // In: bytes accepted; other kinds: payload bytes that follow
    bool queued = false;       // Out and In: submitted together with the host's previous transfer
};

inline void putLittle32(std::uint8_t* out, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        out[i] = static_cast<std::uint8_t>(value >> (8 * i));
    }
}

inline std::uint32_t getLittle32(const std::uint8_t* in) {
    return static_cast<std::uint32_t>(in[0]) | static_cast<std::uint32_t>(in[1]) << 8 |
           static_cast<std::uint32_t>(in[2]) << 16 | static_cast<std::uint32_t>(in[3]) << 24;
}

// Header layout: kind, status, flags, a zero byte, sequence (LE32), length (LE32).
inline std::vector<std::uint8_t> encodeFrame(const FrameHeader& header,
                                             std::span<const std::uint8_t> payload = {}) {
    std::vector<std::uint8_t> frame(kHeaderBytes + payload.size());
    frame[0] = static_cast<std::uint8_t>(header.kind);
    frame[1] = static_cast<std::uint8_t>(header.status);
    frame[2] = header.queued ? kQueuedFlag : 0;
    putLittle32(frame.data() + 4, header.sequence);
    putLittle32(frame.data() + 8, header.length);
    for (std::size_t i = 0; i < payload.size(); ++i) {
        frame[kHeaderBytes + i] = payload[i];
    }
    return frame;
}

// Null for a message too short to hold a header, of an unknown kind, or whose payload length
// disagrees with its length field (an In frame carries no payload).
inline std::optional<FrameHeader> decodeFrame(std::span<const std::uint8_t> frame) {
    if (frame.size() < kHeaderBytes) {
        return std::nullopt;
    }
    FrameHeader header;
    const std::uint8_t kind = frame[0];
    if (kind != 'O' && kind != 'A' && kind != 'I' && kind != 'D' && kind != 'H' && kind != 'W') {
        return std::nullopt;
    }
    header.kind = static_cast<FrameKind>(kind);
    header.status = static_cast<FrameStatus>(frame[1]);
    header.queued = (frame[2] & kQueuedFlag) != 0;
    header.sequence = getLittle32(frame.data() + 4);
    header.length = getLittle32(frame.data() + 8);
    const std::size_t payload = frame.size() - kHeaderBytes;
    if (header.kind == FrameKind::In ? payload != 0 : payload != header.length) {
        return std::nullopt;
    }
    return header;
}

// The folder both sides use: $XDG_RUNTIME_DIR/velk-series, or /tmp/velk-series-<uid> when the
// variable is unset or empty.
inline std::string socketFolder() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime != nullptr && runtime[0] != '\0') {
        return std::string(runtime) + "/velk-series";
    }
    return "/tmp/velk-series-" + std::to_string(static_cast<unsigned long>(::getuid()));
}

// Devices are only looked for, and only created, in a folder that belongs to this user and that
// nobody else may write to; anything else (a folder planted in /tmp by another user, a symbolic
// link) could pass off a stranger's program as the user's device.
inline bool isPrivateFolder(const std::string& folder) {
    struct stat info {};
    return ::lstat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode) &&
           info.st_uid == ::getuid() && (info.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

inline constexpr const char* kSocketSuffix = ".sock";
// Device paths handed out by the backend: "sim:" + socket path.
inline constexpr const char* kPathPrefix = "sim:";

}  // namespace velk::vdev
