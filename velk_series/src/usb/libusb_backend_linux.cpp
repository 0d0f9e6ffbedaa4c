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
    bool reattachDriver = false;  // a kernel driver was detached to claim it
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

// One bulk transfer together with the memory it moves. The transfer owns its buffer, so the
// kernel can never complete it into memory that belongs to anyone else; a caller's data is
// copied in before the submit and out after the completion. It is freed only once libusb has
// given it back (or the device handle it was submitted on has been closed).
class Transfer {
  public:
    explicit Transfer(std::size_t size) : transfer_(libusb_alloc_transfer(0)), buffer_(size) {}
    ~Transfer() {
        if (transfer_ != nullptr) {
            libusb_free_transfer(transfer_);
        }
    }
    Transfer(const Transfer&) = delete;
    Transfer& operator=(const Transfer&) = delete;

    std::uint8_t* data() { return buffer_.data(); }
    std::size_t size() const { return buffer_.size(); }

    // LIBUSB_SUCCESS or libusb's error for the submit. No libusb timeout: the caller keeps the
    // time, so that it can withdraw a transfer queued behind one that ran out of it.
    int submit(libusb_device_handle* handle, std::uint8_t endpoint) {
        if (transfer_ == nullptr) {
            return LIBUSB_ERROR_NO_MEM;
        }
        endpoint_ = endpoint;
        libusb_fill_bulk_transfer(transfer_, handle, endpoint, buffer_.data(),
                                  static_cast<int>(buffer_.size()), &Transfer::finished, this, 0);
        done_ = 0;
        const int error = libusb_submit_transfer(transfer_);
        submitted_ = error == LIBUSB_SUCCESS;
        return error;
    }

    std::uint8_t endpoint() const { return endpoint_; }
    bool inFlight() const { return submitted_ && done_ == 0; }
    int* doneFlag() { return &done_; }
    void cancel() {
        if (inFlight()) {
            libusb_cancel_transfer(transfer_);
        }
    }
    libusb_transfer_status status() const { return transfer_->status; }
    std::size_t actual() const {
        return std::min(static_cast<std::size_t>(std::max(transfer_->actual_length, 0)),
                        buffer_.size());
    }

  private:
    static void LIBUSB_CALL finished(libusb_transfer* transfer) {
        static_cast<Transfer*>(transfer->user_data)->done_ = 1;
    }

    libusb_transfer* transfer_;
    std::vector<std::uint8_t> buffer_;
    std::uint8_t endpoint_ = 0;
    int done_ = 0;
    bool submitted_ = false;
};

// An opened device with its bulk interface claimed; released in reverse order on destruction.
class UsbConnection final : public Connection {
  public:
    UsbConnection(std::shared_ptr<UsbContext> context, DeviceHandlePtr handle,
                  BulkInterface interface, std::string path)
        : context_(std::move(context)),
          handle_(std::move(handle)),
          interface_(interface),
          path_(std::move(path)) {}

    ~UsbConnection() override {
        // Transfers given up on get one last short chance to come back...
        for (auto& transfer : parked_) {
            transfer->cancel();
        }
        const auto last = Clock::now() + kLastChance;
        for (auto& transfer : parked_) {
            await(*transfer, last);
        }
        if (!gone_) {
            libusb_release_interface(handle_.get(), interface_.number);
            if (interface_.reattachDriver) {
                libusb_attach_kernel_driver(handle_.get(), interface_.number);
            }
        }
        // ...then the handle is closed, which ends whatever the kernel still held: only now may
        // their buffers go.
        handle_.reset();
        parked_.clear();
    }

    TransferResult bulkOut(std::span<const std::uint8_t> data,
                           std::chrono::milliseconds timeout) override {
        auto transfer = std::make_unique<Transfer>(data.size());
        std::copy(data.begin(), data.end(), transfer->data());
        return single(std::move(transfer), interface_.outEndpoint, timeout).result;
    }

    TransferResult bulkIn(std::span<std::uint8_t> buffer,
                          std::chrono::milliseconds timeout) override {
        // A request that is not a whole number of packets is read through a rounded-up buffer,
        // so a device that answers with a full packet does not overflow it; only the bytes
        // asked for are handed back.
        auto transfer = std::make_unique<Transfer>(roundedToPackets(buffer.size()));
        Outcome outcome = single(std::move(transfer), interface_.inEndpoint, timeout);
        TransferResult& result = outcome.result;
        if (result.ok() && outcome.transfer != nullptr) {
            result.count = std::min(result.count, buffer.size());
            std::copy_n(outcome.transfer->data(), result.count, buffer.data());
        }
        return result;
    }

    QueuedResult outThenOut(std::span<const std::uint8_t> first,
                            std::span<const std::uint8_t> second,
                            std::chrono::milliseconds timeout) override {
        auto tail = std::make_unique<Transfer>(second.size());
        std::copy(second.begin(), second.end(), tail->data());
        return queuePair(first, std::move(tail), interface_.outEndpoint, timeout).result;
    }

    QueuedResult outThenIn(std::span<const std::uint8_t> first, std::span<std::uint8_t> second,
                           std::chrono::milliseconds timeout) override {
        // Read through a whole number of packets, as bulkIn does.
        auto tail = std::make_unique<Transfer>(roundedToPackets(second.size()));
        PairOutcome outcome = queuePair(first, std::move(tail), interface_.inEndpoint, timeout);
        QueuedResult& result = outcome.result;
        if (result.second.ok() && outcome.tail != nullptr) {
            result.second.count = std::min(result.second.count, second.size());
            std::copy_n(outcome.tail->data(), result.second.count, second.data());
        }
        return result;
    }

  private:
    using Clock = std::chrono::steady_clock;
    // How long a cancelled transfer is waited for before it is parked (the kernel gives a
    // discarded URB back within a frame or two), and how long parked ones get at the close.
    static constexpr std::chrono::milliseconds kSettle{1000};
    static constexpr std::chrono::milliseconds kLastChance{100};

    // A result with its transfer, when that came back and its bytes can be taken.
    struct Outcome {
        TransferResult result;
        std::unique_ptr<Transfer> transfer;
    };
    struct PairOutcome {
        QueuedResult result;
        std::unique_ptr<Transfer> tail;
    };

    std::size_t roundedToPackets(std::size_t size) const {
        const std::size_t packet = interface_.inPacketSize;
        return (size + packet - 1) / packet * packet;
    }

    Outcome single(std::unique_ptr<Transfer> transfer, std::uint8_t endpoint,
                   std::chrono::milliseconds timeout) {
        Outcome outcome;
        if (gone_) {
            outcome.result = {TransferStatus::NoDevice, 0};
            return outcome;
        }
        sweepParked();
        const int error = transfer->submit(handle_.get(), endpoint);
        if (error != LIBUSB_SUCCESS) {
            outcome.result = {submitFailure(error), 0};
            return outcome;
        }
        if (!await(*transfer, Clock::now() + timeout)) {
            transfer->cancel();
            giveUp(std::move(transfer));
            resynchronise();
            outcome.result = {gone_ ? TransferStatus::NoDevice : TransferStatus::TimedOut, 0};
            return outcome;
        }
        outcome.result = finish(*transfer);
        outcome.transfer = std::move(transfer);
        return outcome;
    }

    // The block goes out first on the OUT pipe; the phase is submitted at once behind it. When
    // the block fails or runs out of time the phase is withdrawn before the block is, so the
    // host controller never moves on to it.
    PairOutcome queuePair(std::span<const std::uint8_t> first, std::unique_ptr<Transfer> tail,
                          std::uint8_t tailEndpoint, std::chrono::milliseconds timeout) {
        PairOutcome outcome;
        QueuedResult& result = outcome.result;
        if (gone_) {
            result.first = {TransferStatus::NoDevice, 0};
            return outcome;
        }
        sweepParked();
        auto head = std::make_unique<Transfer>(first.size());
        std::copy(first.begin(), first.end(), head->data());
        const int headError = head->submit(handle_.get(), interface_.outEndpoint);
        if (headError != LIBUSB_SUCCESS) {
            result.first = {submitFailure(headError), 0};
            return outcome;
        }
        const int tailError = tail->submit(handle_.get(), tailEndpoint);
        if (!await(*head, Clock::now() + timeout)) {
            tail->cancel();
            head->cancel();
            giveUp(std::move(tail));
            giveUp(std::move(head));
            resynchronise();
            result.first = {gone_ ? TransferStatus::NoDevice : TransferStatus::TimedOut, 0};
            return outcome;
        }
        result.first = finish(*head);
        if (tailError != LIBUSB_SUCCESS) {
            if (completedInFull(result.first, first.size())) {
                result.second = {submitFailure(tailError), 0};
            }
            return outcome;
        }
        if (!completedInFull(result.first, first.size())) {
            tail->cancel();
            giveUp(std::move(tail));
            return outcome;
        }
        if (!await(*tail, Clock::now() + timeout)) {
            tail->cancel();
            giveUp(std::move(tail));
            resynchronise();
            result.second = {gone_ ? TransferStatus::NoDevice : TransferStatus::TimedOut, 0};
            return outcome;
        }
        result.second = finish(*tail);
        outcome.tail = std::move(tail);
        return outcome;
    }

    // Handles libusb events until the transfer is back or the deadline passes; false also when
    // event handling itself fails.
    bool await(Transfer& transfer, Clock::time_point deadline) {
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

    // A cancelled transfer still comes back through its callback, normally at once. One that
    // does not is parked, buffer and all, until it does or the handle is closed: nothing the
    // kernel may still write into is freed or reused.
    void giveUp(std::unique_ptr<Transfer> transfer) {
        if (transfer->inFlight() && !await(*transfer, Clock::now() + kSettle)) {
            parked_.push_back(std::move(transfer));
        }
    }

    void sweepParked() {
        std::erase_if(parked_, [](const std::unique_ptr<Transfer>& transfer) {
            return !transfer->inFlight();
        });
    }

    TransferStatus submitFailure(int error) {
        if (error == LIBUSB_ERROR_NO_DEVICE) {
            unplugged("LIBUSB_ERROR_NO_DEVICE at submit");
            return TransferStatus::NoDevice;
        }
        std::fprintf(stderr, "velk_series: %s: transfer not submitted (%s)\n", path_.c_str(),
                     libusb_error_name(error));
        return TransferStatus::Failed;
    }

    TransferResult finish(Transfer& transfer) {
        switch (transfer.status()) {
            case LIBUSB_TRANSFER_COMPLETED:
                return {TransferStatus::Ok, transfer.actual()};
            case LIBUSB_TRANSFER_TIMED_OUT:
            case LIBUSB_TRANSFER_CANCELLED:  // only ever cancelled for running out of time
                return {TransferStatus::TimedOut, 0};
            case LIBUSB_TRANSFER_NO_DEVICE:
                unplugged("LIBUSB_TRANSFER_NO_DEVICE");
                return {TransferStatus::NoDevice, 0};
            case LIBUSB_TRANSFER_STALL:
                clearHalt(transfer.endpoint());
                return {TransferStatus::Failed, 0};
            case LIBUSB_TRANSFER_OVERFLOW:
                std::fprintf(stderr,
                             "velk_series: %s: endpoint 0x%02X sent more than was asked for "
                             "(LIBUSB_TRANSFER_OVERFLOW)\n",
                             path_.c_str(), transfer.endpoint());
                return {TransferStatus::Failed, 0};
            default:
                return {TransferStatus::Failed, 0};
        }
    }

    // A STALL halts the endpoint until the host clears it; left alone, every later transfer on
    // it would fail until the device is plugged in again.
    void clearHalt(std::uint8_t endpoint) {
        const int error = libusb_clear_halt(handle_.get(), endpoint);
        if (error == LIBUSB_ERROR_NO_DEVICE) {
            unplugged("LIBUSB_ERROR_NO_DEVICE clearing a halt");
            return;
        }
        std::fprintf(stderr,
                     "velk_series: %s: endpoint 0x%02X stalled (LIBUSB_TRANSFER_STALL); %s\n",
                     path_.c_str(), endpoint,
                     error == LIBUSB_SUCCESS ? "the halt was cleared" : libusb_error_name(error));
    }

    // A transfer had to be cancelled: the device may be in the middle of a command or have a
    // reply queued that the next command would read. A USB reset starts it afresh.
    void resynchronise() {
        if (gone_) {
            return;
        }
        const int error = libusb_reset_device(handle_.get());
        if (error == LIBUSB_ERROR_NOT_FOUND || error == LIBUSB_ERROR_NO_DEVICE) {
            unplugged("not found again after the reset that followed a timeout");
            return;
        }
        std::fprintf(stderr, "velk_series: %s: no answer within the transfer timeout; %s\n",
                     path_.c_str(),
                     error == LIBUSB_SUCCESS ? "the device was reset" : libusb_error_name(error));
    }

    // Said once: every later transfer fails at once without going near the device.
    void unplugged(const char* how) {
        if (!gone_) {
            std::fprintf(stderr, "velk_series: %s was unplugged (%s)\n", path_.c_str(), how);
        }
        gone_ = true;
    }

    std::shared_ptr<UsbContext> context_;
    DeviceHandlePtr handle_;
    BulkInterface interface_;
    std::string path_;
    bool gone_ = false;
    std::vector<std::unique_ptr<Transfer>> parked_;
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
        // Another program's claim on the interface makes this one fail with LIBUSB_ERROR_BUSY;
        // so does a kernel driver bound to it, which is detached (and given the interface back
        // at the close). Asking about drivers only then keeps the open to the two ioctls a
        // usbfs replay (umockdev-run --pcap) answers.
        BulkInterface claimed = bulk;
        error = libusb_claim_interface(handle.get(), bulk.number);
        if (error == LIBUSB_ERROR_BUSY &&
            libusb_kernel_driver_active(handle.get(), bulk.number) == 1 &&
            libusb_detach_kernel_driver(handle.get(), bulk.number) == LIBUSB_SUCCESS) {
            claimed.reattachDriver = true;
            error = libusb_claim_interface(handle.get(), bulk.number);
        }
        if (error != LIBUSB_SUCCESS) {
            if (claimed.reattachDriver) {
                libusb_attach_kernel_driver(handle.get(), bulk.number);
            }
            return openFailure(path, "libusb_claim_interface", error);
        }
        return {std::make_unique<UsbConnection>(context_, std::move(handle), claimed, path),
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
