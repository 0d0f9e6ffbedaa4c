// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#include <libusb.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "usb/system_root.h"
#include "usb/usb_bus.h"

namespace velk {

namespace {

// One libusb session, shared by the backend and every connection opened through it.
class UsbContext {
  public:
    static std::shared_ptr<UsbContext> create() {
        libusb_context* raw = nullptr;
        if (libusb_init(&raw) != LIBUSB_SUCCESS) {
            return nullptr;
        }
        return std::shared_ptr<UsbContext>(new UsbContext(raw));
    }
    ~UsbContext() { libusb_exit(context_); }
    UsbContext(const UsbContext&) = delete;
    UsbContext& operator=(const UsbContext&) = delete;

    libusb_context* get() const { return context_; }

  private:
    explicit UsbContext(libusb_context* context) : context_(context) {}
    libusb_context* context_;
};

// The device list of one enumeration, freed with the references it holds.
class DeviceList {
  public:
    explicit DeviceList(libusb_context* context) {
        const ssize_t count = libusb_get_device_list(context, &list_);
        count_ = count > 0 ? static_cast<std::size_t>(count) : 0;
    }
    ~DeviceList() {
        if (list_ != nullptr) {
            libusb_free_device_list(list_, 1);
        }
    }
    DeviceList(const DeviceList&) = delete;
    DeviceList& operator=(const DeviceList&) = delete;

    std::size_t size() const { return count_; }
    libusb_device* operator[](std::size_t index) const { return list_[index]; }

  private:
    libusb_device** list_ = nullptr;
    std::size_t count_ = 0;
};

struct HandleCloser {
    void operator()(libusb_device_handle* handle) const { libusb_close(handle); }
};
using DeviceHandlePtr = std::unique_ptr<libusb_device_handle, HandleCloser>;

struct ConfigFreer {
    void operator()(libusb_config_descriptor* config) const {
        libusb_free_config_descriptor(config);
    }
};

struct BulkInterface {
    int number = -1;
    std::uint8_t inEndpoint = 0;
    std::uint8_t outEndpoint = 0;
    std::size_t inPacketSize = 64;
};

// A claim another program holds and a device node the user may not open are reasons the user can
// act on: they go to the user as the open's refusal. Anything else is only logged.
OpenResult openFailure(const std::string& path, const char* step, int error) {
    switch (error) {
        case LIBUSB_ERROR_BUSY:
            return {nullptr, OpenRefusal::InUse};
        case LIBUSB_ERROR_ACCESS:
            return {nullptr, OpenRefusal::NoPermission};
        default:
            std::fprintf(stderr, "velk_series: cannot open %s: %s failed (%s)\n", path.c_str(),
                         step, libusb_error_name(error));
            return {};
    }
}

std::string portOf(libusb_device* device) {
    std::string port = std::to_string(libusb_get_bus_number(device));
    std::array<std::uint8_t, 8> ports{};
    const int depth = libusb_get_port_numbers(device, ports.data(), static_cast<int>(ports.size()));
    if (depth <= 0) {
        return port + "@" + std::to_string(libusb_get_device_address(device));
    }
    for (int i = 0; i < depth; ++i) {
        port += (i == 0 ? '-' : '.');
        port += std::to_string(ports[static_cast<std::size_t>(i)]);
    }
    return port;
}

std::string nodePathOf(libusb_device* device) {
    char path[32];
    std::snprintf(path, sizeof path, "/dev/bus/usb/%03u/%03u",
                  static_cast<unsigned>(libusb_get_bus_number(device)),
                  static_cast<unsigned>(libusb_get_device_address(device)));
    return path;
}

// The kernel read the serial number at plug-in; sysfs has it without asking the device again.
std::string serialOf(const std::string& port) {
    std::ifstream file(systemPath("/sys/bus/usb/devices/" + port + "/serial"));
    std::string serial;
    std::getline(file, serial);
    return serial;
}

// libusb keeps the descriptors the kernel read; none of this sends anything to the device.
UsbDeviceRecord recordOf(libusb_device* device, const libusb_device_descriptor& descriptor) {
    UsbDeviceRecord record;
    record.port = portOf(device);
    record.vendor = descriptor.idVendor;
    record.product = descriptor.idProduct;
    record.nodePath = nodePathOf(device);
    if (record.port.find('@') == std::string::npos) {
        record.serial = serialOf(record.port);
    }
    libusb_config_descriptor* raw = nullptr;
    if (libusb_get_active_config_descriptor(device, &raw) != LIBUSB_SUCCESS) {
        return record;
    }
    std::unique_ptr<libusb_config_descriptor, ConfigFreer> config(raw);
    record.configurationKnown = true;
    for (int i = 0; i < config->bNumInterfaces; ++i) {
        const libusb_interface& interface = config->interface[i];
        if (interface.num_altsetting < 1) {
            continue;
        }
        const libusb_interface_descriptor& setting = interface.altsetting[0];
        UsbInterfaceShape shape;
        shape.number = setting.bInterfaceNumber;
        for (int e = 0; e < setting.bNumEndpoints; ++e) {
            const libusb_endpoint_descriptor& endpoint = setting.endpoint[e];
            shape.endpoints.push_back(
                {endpoint.bEndpointAddress, endpoint.bmAttributes, endpoint.wMaxPacketSize});
        }
        record.interfaces.push_back(std::move(shape));
    }
    return record;
}

TransferStatus statusOf(int error) {
    switch (error) {
        case LIBUSB_SUCCESS:
            return TransferStatus::Ok;
        case LIBUSB_ERROR_TIMEOUT:
            return TransferStatus::TimedOut;
        case LIBUSB_ERROR_NO_DEVICE:
            return TransferStatus::NoDevice;
        default:
            return TransferStatus::Failed;
    }
}

TransferStatus statusOf(libusb_transfer_status status) {
    switch (status) {
        case LIBUSB_TRANSFER_COMPLETED:
            return TransferStatus::Ok;
        case LIBUSB_TRANSFER_TIMED_OUT:
        case LIBUSB_TRANSFER_CANCELLED:  // only ever cancelled for running out of time
            return TransferStatus::TimedOut;
        case LIBUSB_TRANSFER_NO_DEVICE:
            return TransferStatus::NoDevice;
        default:
            return TransferStatus::Failed;
    }
}

// One asynchronous bulk transfer. Submitted without a libusb timeout: the pair that owns it
// keeps the time, so that it can withdraw the transfer queued behind before the one in front.
class AsyncTransfer {
  public:
    AsyncTransfer() : transfer_(libusb_alloc_transfer(0)) {}
    ~AsyncTransfer() {
        // A transfer libusb still holds must not be freed; one that never came back is leaked,
        // and so is the flag its callback will still write.
        if (transfer_ != nullptr && !inFlight()) {
            libusb_free_transfer(transfer_);
        } else if (transfer_ != nullptr) {
            static_cast<void>(done_.release());
        }
    }
    AsyncTransfer(const AsyncTransfer&) = delete;
    AsyncTransfer& operator=(const AsyncTransfer&) = delete;

    bool submit(libusb_device_handle* handle, std::uint8_t endpoint, std::uint8_t* buffer,
                std::size_t size) {
        if (transfer_ == nullptr) {
            return false;
        }
        libusb_fill_bulk_transfer(transfer_, handle, endpoint, buffer, static_cast<int>(size),
                                  &AsyncTransfer::finished, done_.get(), 0);
        *done_ = 0;
        submitted_ = libusb_submit_transfer(transfer_) == LIBUSB_SUCCESS;
        return submitted_;
    }

    bool inFlight() const { return submitted_ && *done_ == 0; }
    int* doneFlag() { return done_.get(); }
    void cancel() {
        if (inFlight()) {
            libusb_cancel_transfer(transfer_);
        }
    }
    TransferResult result() const {
        if (!submitted_ || *done_ == 0) {
            return {TransferStatus::Failed, 0};
        }
        return {statusOf(transfer_->status),
                static_cast<std::size_t>(std::max(transfer_->actual_length, 0))};
    }

  private:
    static void LIBUSB_CALL finished(libusb_transfer* transfer) {
        *static_cast<int*>(transfer->user_data) = 1;
    }

    libusb_transfer* transfer_;
    // On the heap: a transfer that never comes back still has somewhere to say so.
    std::unique_ptr<int> done_ = std::make_unique<int>(0);
    bool submitted_ = false;
};

// An opened device with its bulk interface claimed; released in reverse order on destruction.
class UsbConnection final : public Connection {
  public:
    UsbConnection(std::shared_ptr<UsbContext> context, DeviceHandlePtr handle,
                  BulkInterface interface)
        : context_(std::move(context)), handle_(std::move(handle)), interface_(interface) {}

    ~UsbConnection() override { libusb_release_interface(handle_.get(), interface_.number); }

    TransferResult bulkOut(std::span<const std::uint8_t> data,
                           std::chrono::milliseconds timeout) override {
        int sent = 0;
        // libusb takes a non-const buffer for both directions; an OUT transfer only reads it.
        const int error = libusb_bulk_transfer(
            handle_.get(), interface_.outEndpoint, const_cast<unsigned char*>(data.data()),
            static_cast<int>(data.size()), &sent, timeoutOf(timeout));
        return {statusOf(error), static_cast<std::size_t>(std::max(sent, 0))};
    }

    TransferResult bulkIn(std::span<std::uint8_t> buffer,
                          std::chrono::milliseconds timeout) override {
        // A request that is not a whole number of packets is read through a rounded-up buffer,
        // so a device that answers with a full packet does not overflow it; only the bytes
        // asked for are handed back.
        const std::size_t packet = interface_.inPacketSize;
        const std::size_t rounded = (buffer.size() + packet - 1) / packet * packet;
        std::uint8_t* target = buffer.data();
        if (rounded != buffer.size()) {
            bounce_.assign(rounded, 0);
            target = bounce_.data();
        }
        int received = 0;
        const int error =
            libusb_bulk_transfer(handle_.get(), interface_.inEndpoint, target,
                                 static_cast<int>(rounded), &received, timeoutOf(timeout));
        const std::size_t count =
            std::min(static_cast<std::size_t>(std::max(received, 0)), buffer.size());
        if (target != buffer.data()) {
            std::memcpy(buffer.data(), target, count);
        }
        return {statusOf(error), count};
    }

    QueuedResult outThenOut(std::span<const std::uint8_t> first,
                            std::span<const std::uint8_t> second,
                            std::chrono::milliseconds timeout) override {
        // libusb takes a non-const buffer for both directions; an OUT transfer only reads it.
        return queuePair(first, interface_.outEndpoint, const_cast<std::uint8_t*>(second.data()),
                         second.size(), timeout);
    }

    QueuedResult outThenIn(std::span<const std::uint8_t> first, std::span<std::uint8_t> second,
                           std::chrono::milliseconds timeout) override {
        // Read through a whole number of packets, as bulkIn does.
        const std::size_t packet = interface_.inPacketSize;
        const std::size_t rounded = (second.size() + packet - 1) / packet * packet;
        std::uint8_t* target = second.data();
        if (rounded != second.size()) {
            bounce_.assign(rounded, 0);
            target = bounce_.data();
        }
        QueuedResult result = queuePair(first, interface_.inEndpoint, target, rounded, timeout);
        result.second.count = std::min(result.second.count, second.size());
        if (target != second.data()) {
            std::memcpy(second.data(), target, result.second.count);
        }
        return result;
    }

  private:
    using Clock = std::chrono::steady_clock;

    // The block goes out first on the OUT pipe; the phase is submitted at once behind it. When
    // the block fails or runs out of time the phase is withdrawn before the block is, so the
    // host controller never moves on to it.
    QueuedResult queuePair(std::span<const std::uint8_t> first, std::uint8_t secondEndpoint,
                           std::uint8_t* secondBuffer, std::size_t secondSize,
                           std::chrono::milliseconds timeout) {
        QueuedResult result;
        AsyncTransfer head;
        AsyncTransfer tail;
        if (!head.submit(handle_.get(), interface_.outEndpoint,
                         const_cast<std::uint8_t*>(first.data()), first.size())) {
            return result;
        }
        const bool tailSubmitted =
            tail.submit(handle_.get(), secondEndpoint, secondBuffer, secondSize);
        const bool headInTime = await(head, Clock::now() + timeout);
        result.first = head.result();
        if (!headInTime) {
            tail.cancel();
            head.cancel();
            settle(tail);
            settle(head);
            result.first = {TransferStatus::TimedOut, head.result().count};
            return result;
        }
        if (!completedInFull(result.first, first.size()) || !tailSubmitted) {
            tail.cancel();
            settle(tail);
            return result;
        }
        if (!await(tail, Clock::now() + timeout)) {
            tail.cancel();
            settle(tail);
            result.second = {TransferStatus::TimedOut, 0};
            return result;
        }
        result.second = tail.result();
        return result;
    }

    // Handles libusb events until the transfer is back or the deadline passes.
    bool await(AsyncTransfer& transfer, Clock::time_point deadline) {
        while (transfer.inFlight()) {
            const auto left =
                std::chrono::duration_cast<std::chrono::microseconds>(deadline - Clock::now());
            if (left.count() <= 0) {
                return false;
            }
            timeval tv{static_cast<time_t>(left.count() / 1000000),
                       static_cast<suseconds_t>(left.count() % 1000000)};
            const int error =
                libusb_handle_events_timeout_completed(context_->get(), &tv, transfer.doneFlag());
            if (error != LIBUSB_SUCCESS && error != LIBUSB_ERROR_INTERRUPTED) {
                return false;
            }
        }
        return true;
    }

    // A cancelled transfer still comes back through its callback; wait for that, as long as a
    // transfer may take.
    void settle(AsyncTransfer& transfer) {
        await(transfer, Clock::now() + std::chrono::seconds(5));
    }

    static unsigned int timeoutOf(std::chrono::milliseconds timeout) {
        return static_cast<unsigned int>(
            std::max<std::chrono::milliseconds::rep>(timeout.count(), 1));
    }

    std::shared_ptr<UsbContext> context_;
    DeviceHandlePtr handle_;
    BulkInterface interface_;
    std::vector<std::uint8_t> bounce_;
};

class LibusbBus final : public UsbBus {
  public:
    std::vector<UsbDeviceRecord> devices() override {
        std::vector<UsbDeviceRecord> records;
        UsbContext* context = session();
        if (context == nullptr) {
            return records;
        }
        DeviceList devices(context->get());
        for (std::size_t i = 0; i < devices.size(); ++i) {
            libusb_device_descriptor descriptor{};
            if (libusb_get_device_descriptor(devices[i], &descriptor) == LIBUSB_SUCCESS) {
                records.push_back(recordOf(devices[i], descriptor));
            }
        }
        return records;
    }

    OpenResult open(const UsbDeviceRecord& record, const BulkPipes& pipes) override {
        UsbContext* context = session();
        if (context == nullptr) {
            return {};
        }
        DeviceList devices(context->get());
        for (std::size_t i = 0; i < devices.size(); ++i) {
            libusb_device_descriptor descriptor{};
            if (libusb_get_device_descriptor(devices[i], &descriptor) == LIBUSB_SUCCESS &&
                descriptor.idVendor == record.vendor && descriptor.idProduct == record.product &&
                portOf(devices[i]) == record.port) {
                const BulkInterface bulk{pipes.interfaceNumber, pipes.inEndpoint, pipes.outEndpoint,
                                         pipes.packetSize};
                return openDevice(devices[i], "usb:" + record.port, bulk);
            }
        }
        return {};  // unplugged since the enumeration
    }

  private:
    // Started on first use and kept; a machine without USB device nodes (a container, CI) has
    // nothing to find, and libusb is not even started there.
    UsbContext* session() {
        if (!context_) {
            if (::access("/dev/bus/usb", F_OK) != 0) {
                return nullptr;
            }
            context_ = UsbContext::create();
        }
        return context_.get();
    }

    OpenResult openDevice(libusb_device* device, const std::string& path,
                          const BulkInterface& bulk) {
        libusb_device_handle* raw = nullptr;
        int error = libusb_open(device, &raw);
        if (error != LIBUSB_SUCCESS) {
            return openFailure(path, "libusb_open", error);
        }
        DeviceHandlePtr handle(raw);
        libusb_set_auto_detach_kernel_driver(handle.get(), 1);  // unsupported: nothing to detach
        // Another program's claim on the interface makes this one fail with LIBUSB_ERROR_BUSY.
        error = libusb_claim_interface(handle.get(), bulk.number);
        if (error != LIBUSB_SUCCESS) {
            return openFailure(path, "libusb_claim_interface", error);
        }
        return {std::make_unique<UsbConnection>(context_, std::move(handle), bulk),
                OpenRefusal::None};
    }

    std::shared_ptr<UsbContext> context_;
};

}  // namespace

UsbBus* libusbBus() {
    static LibusbBus bus;
    return &bus;
}

}  // namespace velk
