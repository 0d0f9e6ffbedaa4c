// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "emulated_device.h"

#include <linux/usbdevice_fs.h>
#include <sys/ioctl.h>

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstring>

#include "command_block.h"
#include "usb_descriptors.h"

namespace velkusb {

namespace {

constexpr std::uint32_t kCapabilities =
    USBDEVFS_CAP_ZERO_PACKET | USBDEVFS_CAP_BULK_CONTINUATION | USBDEVFS_CAP_NO_PACKET_SIZE_LIM |
    USBDEVFS_CAP_BULK_SCATTER_GATHER | USBDEVFS_CAP_REAP_AFTER_DISCONNECT;
constexpr int kUsbSpeedFull = 2;  // enum usb_device_speed: USB_SPEED_FULL
constexpr std::size_t kSetupBytes = 8;

// A resolved block of the program's memory, released with the scope.
class Resolved {
  public:
    Resolved(UMockdevIoctlData* parent, std::size_t offset, std::size_t length)
        : data_(umockdev_ioctl_data_resolve(parent, offset, length, nullptr)) {}
    ~Resolved() {
        if (data_ != nullptr) {
            umockdev_ioctl_data_unref(data_);
        }
    }
    Resolved(const Resolved&) = delete;
    Resolved& operator=(const Resolved&) = delete;
    explicit operator bool() const { return data_ != nullptr; }
    UMockdevIoctlData* get() const { return data_; }
    template <typename T>
    T value() const {
        T out{};
        std::memcpy(&out, data_->data,
                    std::min(sizeof out, static_cast<std::size_t>(data_->data_len)));
        return out;
    }

  private:
    UMockdevIoctlData* data_;
};

}  // namespace

struct EmulatedDevice::Urb {
    UMockdevIoctlClient* client = nullptr;
    UMockdevIoctlData* data = nullptr;    // the program's struct usbdevfs_urb
    UMockdevIoctlData* buffer = nullptr;  // and the buffer it points at
    gulong address = 0;                   // where the program keeps the struct (its key)
    std::uint8_t type = 0;
    std::uint8_t endpoint = 0;
    std::size_t length = 0;
    std::uint64_t number = 0;  // bulk URBs only
    int session = 0;
    Clock::time_point submitted;
    bool scheduled = false;  // its result is set; reapable from readyAt on
    Clock::time_point readyAt;
    int status = 0;
    std::size_t actual = 0;
    std::vector<std::uint8_t> in;  // bytes for an IN buffer
    bool late = false;             // a late reply: discarded, its bytes stay in the endpoint
    bool slowDiscard = false;      // held until discarded, then completes late with its data
    bool discarded = false;
    std::uint64_t captureId = 0;

    bool isIn() const { return (endpoint & 0x80) != 0; }
};

EmulatedDevice::EmulatedDevice(NodeDeviceConfig config)
    : config_(std::move(config)),
      model_(std::make_unique<velksim::VirtualDevice>(config_.device, config_.stateDir)),
      faults_(config_.faults) {
    if (const auto port = parsePort(config_.port)) {
        busNumber_ = port->bus;
    }
    if (config_.onCommand) {
        model_->onCommand = config_.onCommand;
    }
    if (!config_.usbmonCapture.empty()) {
        capture_ = std::make_unique<UsbmonCapture>(config_.usbmonCapture);
    }
}

EmulatedDevice::~EmulatedDevice() {
    for (auto& urb : urbs_) {
        release(*urb);
    }
    for (auto& [client, session] : sessions_) {
        g_object_unref(client);
    }
}

void EmulatedDevice::release(Urb& urb) {
    if (urb.buffer != nullptr) {
        umockdev_ioctl_data_unref(urb.buffer);
        urb.buffer = nullptr;
    }
    if (urb.data != nullptr) {
        umockdev_ioctl_data_unref(urb.data);
        urb.data = nullptr;
    }
}

void EmulatedDevice::setFaults(const UrbFaults& faults) {
    faults_ = faults;
    urbNumber_ = 0;
    blockCounts_.clear();
    resolvedTriggers_.clear();
}

void EmulatedDevice::pluggedIn(unsigned devnum) {
    devnum_ = devnum;
    plugged_ = true;
    ++life_;
}

void EmulatedDevice::unplug() {
    if (!plugged_) {
        return;
    }
    plugged_ = false;
    ++stats_.unplugs;
    endAllPending(-ESHUTDOWN, Clock::now());
    for (auto& [client, session] : sessions_) {
        session.claimed = false;
    }
    model_->powerLost();
    hung_ = false;
    halted_.clear();
    stale_.clear();
    // A disconnect happens once; the device that comes back behaves.
    faults_.unplug.reset();
}

EmulatedDevice::Session* EmulatedDevice::sessionOf(UMockdevIoctlClient* client) {
    auto found = sessions_.find(client);
    if (found != sessions_.end()) {
        return &found->second;
    }
    Session session;
    session.id = nextSession_++;
    session.life = life_;
    g_object_ref(client);
    ++stats_.opens;
    return &sessions_.emplace(client, session).first->second;
}

void EmulatedDevice::clientClosed(UMockdevIoctlClient* client) {
    auto found = sessions_.find(client);
    if (found == sessions_.end()) {
        return;
    }
    for (auto it = urbs_.begin(); it != urbs_.end();) {
        if ((*it)->client == client) {
            ++stats_.leftAtClose;
            release(**it);
            it = urbs_.erase(it);
        } else {
            ++it;
        }
    }
    model_->connectionClosed(found->second.id);
    g_object_unref(client);
    sessions_.erase(found);
}

void EmulatedDevice::sweepClosedClients() {
    std::vector<UMockdevIoctlClient*> closed;
    for (const auto& [client, session] : sessions_) {
        if (!umockdev_ioctl_client_get_connected(client)) {
            closed.push_back(client);
        }
    }
    for (UMockdevIoctlClient* client : closed) {
        clientClosed(client);
    }
}

void EmulatedDevice::complete(UMockdevIoctlClient* client, long result, int error) {
    umockdev_ioctl_client_complete(client, result, error);
}

bool EmulatedDevice::handleIoctl(UMockdevIoctlClient* client) {
    sweepClosedClients();
    Session& session = *sessionOf(client);
    const unsigned long request = umockdev_ioctl_client_get_request(client);
    UMockdevIoctlData* arg = umockdev_ioctl_client_get_arg(client);
    const bool isGone = gone(session);

    switch (request) {
        case USBDEVFS_SUBMITURB:
            if (isGone) {
                ++stats_.refusedSubmits;
                complete(client, -1, ENODEV);
            } else {
                submit(client, session, arg);
            }
            return true;
        case USBDEVFS_REAPURB:
        case USBDEVFS_REAPURBNDELAY:
            reap(client, session, arg);
            return true;
        case USBDEVFS_DISCARDURB:
            discard(client, session, arg);
            return true;
        default:
            break;
    }
    if (isGone) {
        complete(client, -1, ENODEV);
        return true;
    }
    switch (request) {
        case USBDEVFS_GET_CAPABILITIES: {
            Resolved caps(arg, 0, sizeof(std::uint32_t));
            const std::uint32_t value = kCapabilities;
            umockdev_ioctl_data_update(caps.get(), 0,
                                       const_cast<guint8*>(reinterpret_cast<const guint8*>(&value)),
                                       sizeof value);
            complete(client, 0, 0);
            return true;
        }
        case USBDEVFS_GET_SPEED:
            complete(client, kUsbSpeedFull, 0);
            return true;
        case USBDEVFS_CLAIMINTERFACE: {
            Resolved number(arg, 0, sizeof(unsigned int));
            claim(client, session, number.value<unsigned int>());
            return true;
        }
        case USBDEVFS_DISCONNECT_CLAIM: {
            Resolved claimArg(arg, 0, sizeof(usbdevfs_disconnect_claim));
            claim(client, session, claimArg.value<usbdevfs_disconnect_claim>().interface);
            return true;
        }
        case USBDEVFS_RELEASEINTERFACE: {
            Resolved number(arg, 0, sizeof(unsigned int));
            if (number.value<unsigned int>() != 0 || !session.claimed) {
                complete(client, -1, EINVAL);
            } else {
                // usbfs kills the URBs of an interface it lets go of.
                session.claimed = false;
                const auto now = Clock::now();
                for (auto& urb : urbs_) {
                    if (urb->client == client && urb->number != 0 &&
                        (!urb->scheduled || urb->readyAt > now)) {
                        kill(*urb, now);
                    }
                }
                complete(client, 0, 0);
            }
            return true;
        }
        case USBDEVFS_SETINTERFACE: {
            Resolved setting(arg, 0, sizeof(usbdevfs_setinterface));
            const auto value = setting.value<usbdevfs_setinterface>();
            complete(client, value.interface == 0 && value.altsetting == 0 ? 0 : -1,
                     value.interface == 0 && value.altsetting == 0 ? 0 : EINVAL);
            return true;
        }
        case USBDEVFS_SETCONFIGURATION: {
            Resolved number(arg, 0, sizeof(int));
            const int value = number.value<int>();
            complete(client, value == 1 || value == -1 ? 0 : -1,
                     value == 1 || value == -1 ? 0 : EINVAL);
            return true;
        }
        case USBDEVFS_CLEAR_HALT: {
            Resolved endpoint(arg, 0, sizeof(unsigned int));
            const auto address = static_cast<std::uint8_t>(endpoint.value<unsigned int>());
            if (address != kBulkIn && address != kBulkOut) {
                complete(client, -1, ENOENT);
                return true;
            }
            ++stats_.clearHalts;
            halted_[address] = false;
            // The firmware gives up the exchange it was in when an endpoint is reset.
            model_->connectionClosed(session.id);
            stale_.clear();
            complete(client, 0, 0);
            return true;
        }
        case USBDEVFS_RESETEP:
            complete(client, 0, 0);
            return true;
        case USBDEVFS_RESET:
            reset(session);
            complete(client, 0, 0);
            return true;
        case USBDEVFS_GETDRIVER:
            complete(client, -1, ENODATA);  // no kernel driver on the interface
            return true;
        case USBDEVFS_IOCTL:
            complete(client, -1, ENODATA);
            return true;
        case USBDEVFS_CONNECTINFO: {
            Resolved info(arg, 0, sizeof(usbdevfs_connectinfo));
            usbdevfs_connectinfo value{devnum_, 0};
            umockdev_ioctl_data_update(info.get(), 0, reinterpret_cast<guint8*>(&value),
                                       sizeof value);
            complete(client, 0, 0);
            return true;
        }
        case USBDEVFS_CONTROL:
            control(client, session, arg);
            return true;
        default:
            return false;
    }
}

void EmulatedDevice::claim(UMockdevIoctlClient* client, Session& session, unsigned interface) {
    if (interface != 0) {
        complete(client, -1, ENOENT);
        return;
    }
    const bool otherHolder =
        std::any_of(sessions_.begin(), sessions_.end(), [&session](const auto& entry) {
            return entry.second.claimed && entry.second.id != session.id;
        });
    if (faults_.open == OpenFault::Busy || otherHolder) {
        complete(client, -1, EBUSY);
        return;
    }
    session.claimed = true;
    complete(client, 0, 0);
}

void EmulatedDevice::reset(Session& session) {
    ++stats_.resets;
    // The firmware starts over: pending exchanges, a hang, halts and queued replies are gone,
    // and URBs still pending are killed as the kernel does on a reset.
    endAllPending(-ENOENT, Clock::now());
    model_->connectionClosed(session.id);
    for (const auto& [client, other] : sessions_) {
        model_->connectionClosed(other.id);
    }
    hung_ = false;
    halted_.clear();
    stale_.clear();
}

void EmulatedDevice::endAllPending(int status, Clock::time_point now) {
    for (auto& urb : urbs_) {
        if (!urb->scheduled || urb->readyAt > now) {
            urb->scheduled = true;
            urb->status = status;
            urb->actual = 0;
            urb->in.clear();
            urb->readyAt = now;
            urb->late = false;
            urb->slowDiscard = false;
        }
    }
}

void EmulatedDevice::submit(UMockdevIoctlClient* client, Session& session, UMockdevIoctlData* arg) {
    Resolved urbData(arg, 0, sizeof(usbdevfs_urb));
    if (!urbData) {
        complete(client, -1, EFAULT);
        return;
    }
    const auto header = urbData.value<usbdevfs_urb>();
    const bool control = header.type == USBDEVFS_URB_TYPE_CONTROL && header.endpoint == 0;
    const bool bulk = header.type == USBDEVFS_URB_TYPE_BULK &&
                      (header.endpoint == kBulkIn || header.endpoint == kBulkOut);
    if (!control && !bulk) {
        ++stats_.refusedSubmits;
        complete(client, -1, ENOENT);
        return;
    }
    if (bulk && !session.claimed) {
        // usbfs claims the interface itself on first use when nobody else has it.
        const bool otherHolder =
            std::any_of(sessions_.begin(), sessions_.end(), [&session](const auto& entry) {
                return entry.second.claimed && entry.second.id != session.id;
            });
        if (otherHolder || faults_.open == OpenFault::Busy) {
            ++stats_.refusedSubmits;
            complete(client, -1, EBUSY);
            return;
        }
        session.claimed = true;
    }
    auto urb = std::make_unique<Urb>();
    urb->client = client;
    urb->address = urbData.get()->client_addr;
    urb->type = header.type;
    urb->endpoint = header.endpoint;
    urb->length = header.buffer_length > 0 ? static_cast<std::size_t>(header.buffer_length) : 0;
    urb->session = session.id;
    urb->submitted = Clock::now();
    urb->data = umockdev_ioctl_data_ref(urbData.get());
    if (urb->length > 0) {
        urb->buffer = umockdev_ioctl_data_resolve(urb->data, offsetof(usbdevfs_urb, buffer),
                                                  urb->length, nullptr);
    }
    if (bulk) {
        urb->number = ++urbNumber_;
        ++stats_.submitted;
        if (capture_) {
            urb->captureId = stats_.submitted;
            const bool out = !urb->isIn() && urb->buffer != nullptr;
            capture_->submitted({urb->captureId, urb->type, urb->endpoint, busNumber_, devnum_,
                                 static_cast<std::uint32_t>(urb->length), 0},
                                out ? std::span<const std::uint8_t>(urb->buffer->data, urb->length)
                                    : std::span<const std::uint8_t>{});
        }
    }
    const auto now = urb->submitted;
    if (bulk && halted_[urb->endpoint]) {
        ++stats_.stalls;
        schedule(*urb, -EPIPE, 0, now);
    }
    urbs_.push_back(std::move(urb));
    complete(client, 0, 0);
    advance(now);
}

bool EmulatedDevice::hits(const std::optional<UrbTrigger>& trigger, const Urb& urb) const {
    if (!trigger || urb.number == 0) {
        return false;
    }
    if (trigger->command == 0) {
        return trigger->urb == urb.number;
    }
    const auto resolved = resolvedTriggers_.find(trigger->command);
    return resolved != resolvedTriggers_.end() && resolved->second == urb.number;
}

// A command block that a trigger counts: the URB submitted after it is where the fault strikes.
void EmulatedDevice::noteBlock(const Urb& urb) {
    if (urb.buffer == nullptr) {
        return;
    }
    const std::span<const std::uint8_t> bytes(urb.buffer->data, urb.length);
    const auto block = velksim::parseCommandBlock(bytes);
    if (!block) {
        return;
    }
    const std::uint8_t code = block->code();
    const std::uint64_t count = ++blockCounts_[code];
    for (const auto* trigger : {&faults_.unplug, &faults_.hang, &faults_.stall, &faults_.shortIn,
                                &faults_.lateReply, &faults_.slowDiscard}) {
        if (*trigger && (*trigger)->command == code && (*trigger)->occurrence == count) {
            resolvedTriggers_[code] = urb.number + 1;
        }
    }
}

void EmulatedDevice::schedule(Urb& urb, int status, std::size_t actual, Clock::time_point now) {
    urb.scheduled = true;
    urb.status = status;
    urb.actual = actual;
    urb.readyAt = now;
    if (config_.device.speed != velksim::Speed::FullSpeed || urb.number == 0) {
        return;
    }
    // The full-speed wire: a URB submitted while the one before was still on the bus shares its
    // last frame; otherwise it starts on a frame of its own.
    const bool queued = busFreeAt_ > urb.submitted;
    const std::chrono::microseconds time = bus_.carry(urb.isIn() ? actual : urb.length, queued);
    wire_ += time;
    const Clock::time_point start = queued ? busFreeAt_ : std::max(now, busFreeAt_);
    urb.readyAt = start + time;
    busFreeAt_ = urb.readyAt;
}

void EmulatedDevice::advance(Clock::time_point now) {
    bool progress = true;
    while (progress && plugged_) {
        progress = false;
        bool inBlocked = false;
        bool outBlocked = false;
        for (auto& owned : urbs_) {
            Urb& urb = *owned;
            if (urb.scheduled || urb.slowDiscard) {
                continue;
            }
            if (urb.number == 0) {
                serveControl(urb, now);
                progress = true;
                continue;
            }
            bool& blocked = urb.isIn() ? inBlocked : outBlocked;
            if (blocked || hung_) {
                continue;
            }
            if (hits(faults_.unplug, urb)) {
                const auto replug = faults_.replugAfter;
                unplug();
                if (onFaultUnplug) {
                    onFaultUnplug(replug);
                }
                return;
            }
            if (hits(faults_.hang, urb)) {
                faults_.hang.reset();
                hung_ = true;
                continue;
            }
            if (hits(faults_.stall, urb)) {
                faults_.stall.reset();
                halted_[urb.endpoint] = true;
                ++stats_.stalls;
                schedule(urb, -EPIPE, 0, now);
                progress = true;
                continue;
            }
            if (hits(faults_.slowDiscard, urb)) {
                faults_.slowDiscard.reset();
                urb.slowDiscard = true;
                blocked = true;
                continue;
            }
            if (urb.isIn()) {
                if (!serveIn(urb, now)) {
                    blocked = true;  // NAK: nothing to send yet
                    continue;
                }
            } else {
                serveOut(urb, now);
            }
            progress = true;
        }
    }
}

bool EmulatedDevice::serveIn(Urb& urb, Clock::time_point now) {
    std::vector<std::uint8_t> bytes;
    if (!stale_.empty()) {
        if (stale_.front().readyAt > now) {
            return false;
        }
        bytes = std::move(stale_.front().bytes);
        stale_.pop_front();
        ++stats_.staleRepliesDelivered;
        bytes.resize(std::min(bytes.size(), urb.length));
    } else {
        if (!model_->replyPending()) {
            return false;
        }
        std::size_t wanted = urb.length;
        if (hits(faults_.shortIn, urb)) {
            faults_.shortIn.reset();
            wanted = std::min(wanted, faults_.shortInBytes);
            auto reply = model_->takeReply(urb.session, wanted);
            model_->discardReply();
            bytes = reply ? std::move(*reply) : std::vector<std::uint8_t>{};
        } else {
            // A reply longer than a buffer that is not a whole number of packets overflows it:
            // the device sends a full packet where the host had room for part of one.
            auto reply = model_->takeReply(urb.session, wanted);
            bytes = reply ? std::move(*reply) : std::vector<std::uint8_t>{};
            if (model_->replyPending() && urb.length % kPacketBytes != 0) {
                model_->discardReply();
                urb.in = std::move(bytes);
                urb.in.resize(urb.length / kPacketBytes * kPacketBytes);
                schedule(urb, -EOVERFLOW, urb.in.size(), now);
                return true;
            }
        }
    }
    urb.in = std::move(bytes);
    schedule(urb, 0, urb.in.size(), now);
    if (hits(faults_.lateReply, urb)) {
        faults_.lateReply.reset();
        urb.late = true;
        urb.readyAt = now + faults_.lateReplyAfter;
    }
    return true;
}

void EmulatedDevice::serveOut(Urb& urb, Clock::time_point now) {
    const std::span<const std::uint8_t> bytes =
        urb.buffer != nullptr ? std::span<const std::uint8_t>(urb.buffer->data, urb.length)
                              : std::span<const std::uint8_t>{};
    noteBlock(urb);
    model_->receiveOut(urb.session, bytes);
    schedule(urb, 0, urb.length, now);
}

// Standard requests on endpoint 0: the descriptors and CLEAR_FEATURE(ENDPOINT_HALT); anything
// else is stalled, as a device without vendor requests does.
void EmulatedDevice::serveControl(Urb& urb, Clock::time_point now) {
    if (urb.buffer == nullptr || urb.length < kSetupBytes) {
        schedule(urb, -EPIPE, 0, now);
        return;
    }
    const std::uint8_t* setup = urb.buffer->data;
    const std::uint8_t requestType = setup[0];
    const std::uint8_t request = setup[1];
    const auto value = static_cast<std::uint16_t>(setup[2] | setup[3] << 8);
    const auto index = static_cast<std::uint16_t>(setup[4] | setup[5] << 8);
    const auto length = static_cast<std::size_t>(setup[6] | setup[7] << 8);
    if (requestType == 0x80 && request == 0x06) {
        const auto answer = descriptorAnswer(config_, value, index);
        if (answer) {
            const std::size_t n = std::min({answer->size(), length, urb.length - kSetupBytes});
            urb.in.assign(setup, setup + kSetupBytes);
            urb.in.insert(urb.in.end(), answer->begin(), answer->begin() + static_cast<long>(n));
            schedule(urb, 0, n, now);
            return;
        }
    } else if (requestType == 0x80 && request == 0x00) {
        urb.in = {setup, setup + kSetupBytes};
        urb.in.insert(urb.in.end(), {0x00, 0x00});
        schedule(urb, 0, 2, now);
        return;
    } else if (requestType == 0x02 && request == 0x01 && value == 0) {
        halted_[static_cast<std::uint8_t>(index)] = false;
        ++stats_.clearHalts;
        schedule(urb, 0, 0, now);
        return;
    }
    schedule(urb, -EPIPE, 0, now);
}

void EmulatedDevice::reap(UMockdevIoctlClient* client, Session& session, UMockdevIoctlData* arg) {
    const auto now = Clock::now();
    advance(now);
    Urb* ready = nullptr;
    for (auto& urb : urbs_) {
        if (urb->client == client && urb->scheduled && urb->readyAt <= now &&
            (ready == nullptr || urb->readyAt < ready->readyAt)) {
            ready = urb.get();
        }
    }
    if (ready == nullptr) {
        const bool mine = std::any_of(urbs_.begin(), urbs_.end(),
                                      [client](const auto& urb) { return urb->client == client; });
        complete(client, -1, gone(session) && !mine ? ENODEV : EAGAIN);
        return;
    }
    const int status = ready->status;
    const int actual = static_cast<int>(ready->actual);
    umockdev_ioctl_data_update(ready->data, offsetof(usbdevfs_urb, status),
                               reinterpret_cast<guint8*>(const_cast<int*>(&status)), sizeof status);
    umockdev_ioctl_data_update(ready->data, offsetof(usbdevfs_urb, actual_length),
                               reinterpret_cast<guint8*>(const_cast<int*>(&actual)), sizeof actual);
    if (!ready->in.empty() && ready->buffer != nullptr) {
        umockdev_ioctl_data_update(ready->buffer, 0, ready->in.data(),
                                   static_cast<gint>(std::min(ready->in.size(), ready->length)));
    }
    Resolved pointer(arg, 0, sizeof(void*));
    umockdev_ioctl_data_set_ptr(pointer.get(), 0, ready->data);
    ++stats_.reaped;
    if (capture_ && ready->captureId != 0) {
        const std::size_t inBytes = ready->isIn() ? std::min(ready->in.size(), ready->actual) : 0;
        capture_->completed({ready->captureId, ready->type, ready->endpoint, busNumber_, devnum_,
                             static_cast<std::uint32_t>(ready->actual), ready->status},
                            {ready->in.data(), inBytes});
    }
    if (ready->discarded && ready->status == 0 && ready->isIn() && !ready->in.empty()) {
        ++stats_.lateWrites;
    }
    complete(client, 0, 0);
    auto it = std::find_if(urbs_.begin(), urbs_.end(),
                           [ready](const auto& urb) { return urb.get() == ready; });
    release(**it);
    urbs_.erase(it);
}

void EmulatedDevice::discard(UMockdevIoctlClient* client, Session& session,
                             UMockdevIoctlData* arg) {
    (void)session;
    const auto now = Clock::now();
    gulong address = 0;
    std::memcpy(&address, arg->data, std::min<std::size_t>(sizeof address, arg->data_len));
    for (auto& owned : urbs_) {
        Urb& urb = *owned;
        if (urb.client != client || urb.address != address) {
            continue;
        }
        if (urb.discarded || (urb.scheduled && urb.readyAt <= now)) {
            break;  // already done: the program reaps it as it is
        }
        ++stats_.discarded;
        urb.discarded = true;
        if (urb.slowDiscard) {
            // The host controller finishes the transfer it was asked to cancel, much later.
            urb.slowDiscard = false;
            if (urb.isIn()) {
                std::vector<std::uint8_t> bytes;
                if (model_->replyPending()) {
                    bytes = model_->takeReply(urb.session, urb.length).value_or(bytes);
                }
                bytes.resize(urb.length, 0xA5);
                urb.in = std::move(bytes);
            } else if (urb.buffer != nullptr) {
                noteBlock(urb);
                model_->receiveOut(urb.session, {urb.buffer->data, urb.length});
            }
            urb.scheduled = true;
            urb.status = 0;
            urb.actual = urb.length;
            urb.readyAt = now + faults_.slowDiscardAfter;
        } else {
            kill(urb, now);
        }
        complete(client, 0, 0);
        return;
    }
    complete(client, -1, EINVAL);
}

// The URB ends with ENOENT at once. A reply the device was still producing for it arrives in
// the endpoint all the same, where the next IN URB finds it.
void EmulatedDevice::kill(Urb& urb, Clock::time_point now) {
    if (urb.late && !urb.in.empty()) {
        stale_.push_back({std::move(urb.in), urb.readyAt});
    }
    urb.late = false;
    urb.slowDiscard = false;
    urb.scheduled = true;
    urb.status = -ENOENT;
    if (urb.isIn()) {
        urb.actual = 0;
    }
    urb.in.clear();
    urb.readyAt = now;
}

void EmulatedDevice::control(UMockdevIoctlClient* client, Session& session,
                             UMockdevIoctlData* arg) {
    (void)session;
    Resolved transfer(arg, 0, sizeof(usbdevfs_ctrltransfer));
    if (!transfer) {
        complete(client, -1, EFAULT);
        return;
    }
    const auto header = transfer.value<usbdevfs_ctrltransfer>();
    if (header.bRequestType == 0x80 && header.bRequest == 0x06) {
        const auto answer = descriptorAnswer(config_, header.wValue, header.wIndex);
        if (answer && header.wLength > 0) {
            const std::size_t n = std::min<std::size_t>(answer->size(), header.wLength);
            Resolved data(transfer.get(), offsetof(usbdevfs_ctrltransfer, data), header.wLength);
            std::vector<std::uint8_t> bytes(answer->begin(),
                                            answer->begin() + static_cast<long>(n));
            umockdev_ioctl_data_update(data.get(), 0, bytes.data(), static_cast<gint>(n));
            complete(client, static_cast<long>(n), 0);
            return;
        }
    } else if (header.bRequestType == 0x02 && header.bRequest == 0x01 && header.wValue == 0) {
        halted_[static_cast<std::uint8_t>(header.wIndex)] = false;
        ++stats_.clearHalts;
        complete(client, 0, 0);
        return;
    }
    complete(client, -1, EPIPE);
}

}  // namespace velkusb
