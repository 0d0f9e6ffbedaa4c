// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later
// What usbmon would have captured of an emulated device's URBs, written as a pcap file of
// link type DLT_USB_LINUX_MMAPPED (what `tcpdump -i usbmonN` and Wireshark write, and what
// `umockdev-run --pcap` replays): one 'S' record per submitted URB and one 'C' record when the
// program reaps it.
#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <span>

namespace velkusb {

class UsbmonCapture {
  public:
    explicit UsbmonCapture(const std::filesystem::path& file);
    ~UsbmonCapture();
    UsbmonCapture(const UsbmonCapture&) = delete;
    UsbmonCapture& operator=(const UsbmonCapture&) = delete;

    bool ok() const { return file_ != nullptr; }

    struct Urb {
        std::uint64_t id = 0;
        std::uint8_t type = 3;  // usbfs URB type: 3 bulk, 2 control
        std::uint8_t endpoint = 0;
        unsigned bus = 1;
        unsigned devnum = 0;
        std::uint32_t length = 0;  // buffer length at the submit, actual length at completion
        int status = 0;
    };
    // OUT data (or a control setup) goes with the submit, IN data with the completion.
    void submitted(const Urb& urb, std::span<const std::uint8_t> data);
    void completed(const Urb& urb, std::span<const std::uint8_t> data);

  private:
    void record(char event, const Urb& urb, std::span<const std::uint8_t> data);
    std::FILE* file_ = nullptr;
};

}  // namespace velkusb
