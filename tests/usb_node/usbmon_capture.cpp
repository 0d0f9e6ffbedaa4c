// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "usbmon_capture.h"

#include <sys/time.h>

#include <cstring>

namespace velkusb {

namespace {

constexpr std::uint32_t kLinkTypeUsbLinuxMmapped = 220;

// The 64-byte header usbmon's binary interface puts before each URB's data (little endian
// on the machines this runs on, as the capture's own byte order).
struct [[gnu::packed]] UsbmonHeader {
    std::uint64_t id;
    std::uint8_t event;
    std::uint8_t transferType;
    std::uint8_t endpoint;
    std::uint8_t devnum;
    std::uint16_t bus;
    char setupFlag;
    char dataFlag;
    std::int64_t seconds;
    std::int32_t microseconds;
    std::int32_t status;
    std::uint32_t length;
    std::uint32_t captured;
    std::uint8_t setup[8];
    std::int32_t interval;
    std::int32_t startFrame;
    std::uint32_t transferFlags;
    std::uint32_t descriptors;
};
static_assert(sizeof(UsbmonHeader) == 64);

// usbmon numbers transfer types as USB itself does: 0 isochronous, 1 interrupt, 2 control, 3 bulk.
std::uint8_t usbmonType(std::uint8_t usbfsType) {
    switch (usbfsType) {
        case 0:
            return 0;
        case 1:
            return 1;
        case 2:
            return 2;
        default:
            return 3;
    }
}

}  // namespace

UsbmonCapture::UsbmonCapture(const std::filesystem::path& file)
    : file_(std::fopen(file.c_str(), "wb")) {
    if (file_ == nullptr) {
        return;
    }
    const std::uint32_t magic = 0xA1B2C3D4;
    const std::uint16_t major = 2;
    const std::uint16_t minor = 4;
    const std::int32_t zone = 0;
    const std::uint32_t sigfigs = 0;
    const std::uint32_t snaplen = 262144;
    std::fwrite(&magic, 4, 1, file_);
    std::fwrite(&major, 2, 1, file_);
    std::fwrite(&minor, 2, 1, file_);
    std::fwrite(&zone, 4, 1, file_);
    std::fwrite(&sigfigs, 4, 1, file_);
    std::fwrite(&snaplen, 4, 1, file_);
    std::fwrite(&kLinkTypeUsbLinuxMmapped, 4, 1, file_);
}

UsbmonCapture::~UsbmonCapture() {
    if (file_ != nullptr) {
        std::fclose(file_);
    }
}

void UsbmonCapture::submitted(const Urb& urb, std::span<const std::uint8_t> data) {
    record('S', urb, data);
}

void UsbmonCapture::completed(const Urb& urb, std::span<const std::uint8_t> data) {
    record('C', urb, data);
}

void UsbmonCapture::record(char event, const Urb& urb, std::span<const std::uint8_t> data) {
    if (file_ == nullptr) {
        return;
    }
    timeval now{};
    gettimeofday(&now, nullptr);
    UsbmonHeader header{};
    header.id = urb.id;
    header.event = static_cast<std::uint8_t>(event);
    header.transferType = usbmonType(urb.type);
    header.endpoint = urb.endpoint;
    header.devnum = static_cast<std::uint8_t>(urb.devnum);
    header.bus = static_cast<std::uint16_t>(urb.bus);
    header.setupFlag = '-';
    header.dataFlag = data.empty() ? (event == 'S' ? '<' : '>') : 0;
    header.seconds = now.tv_sec;
    header.microseconds = static_cast<std::int32_t>(now.tv_usec);
    header.status = event == 'S' ? -115 : urb.status;  // -EINPROGRESS while submitted
    header.length = urb.length;
    header.captured = static_cast<std::uint32_t>(data.size());
    if (urb.type == 2 && event == 'S' && data.size() >= 8) {
        header.setupFlag = 0;
        std::memcpy(header.setup, data.data(), 8);
    }
    const auto recordLength = static_cast<std::uint32_t>(sizeof header + data.size());
    const auto seconds = static_cast<std::uint32_t>(now.tv_sec);
    const auto micro = static_cast<std::uint32_t>(now.tv_usec);
    std::fwrite(&seconds, 4, 1, file_);
    std::fwrite(&micro, 4, 1, file_);
    std::fwrite(&recordLength, 4, 1, file_);
    std::fwrite(&recordLength, 4, 1, file_);
    std::fwrite(&header, sizeof header, 1, file_);
    if (!data.empty()) {
        std::fwrite(data.data(), 1, data.size(), file_);
    }
    std::fflush(file_);
}

}  // namespace velkusb
