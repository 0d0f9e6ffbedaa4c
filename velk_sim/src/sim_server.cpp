// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// SimServer: serves one VirtualDevice on its socket from a background thread. All device state
// is touched under one mutex, so tests can inspect the device while the library drives it. Like a
// USB interface claimed by one program, the device belongs to one host at a time: the host that
// completed the open handshake holds it until it hangs up, and every other host is refused.
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <mutex>
#include <stdexcept>
#include <thread>

#include "device_identity.h"
#include "fault_injector.h"
#include "frame_handler.h"
#include "socket_listener.h"
#include "transport/virtual_device_protocol.h"
#include "velk_sim/sim_harness.h"
#include "virtual_device.h"

namespace velksim {

using Clock = std::chrono::steady_clock;

struct SimServer::Impl {
    struct Client {
        int fd = -1;
        int id = 0;
    };

    DeviceConfig config;
    ServerOptions options;
    std::filesystem::path socketPath;

    mutable std::mutex mutex;  // device, injector, frames, wire, listener, clients, replugAt
    std::unique_ptr<VirtualDevice> device;
    FaultInjector injector;
    FrameHandler frames;
    std::chrono::microseconds wire{0};
    Clock::time_point lastCompletion;  // of the last transfer on the simulated bus (serve only)
    Clock::duration lastLateness{};    // how long after lastCompletion its answer went out
    SocketListener listener;
    std::vector<Client> clients;
    int nextClientId = 1;
    std::optional<Clock::time_point> replugAt;

    std::thread thread;
    std::atomic<bool> stopping{false};
    int wakeFd = -1;

    Impl(DeviceConfig c, ServerOptions o) : config(std::move(c)), options(std::move(o)) {
        socketPath =
            options.socketPath.empty() ? defaultSocketPath(options.name) : options.socketPath;
        injector.set(config.faults);
    }

    bool makeDevice(std::string& error) {
        try {
            device = std::make_unique<VirtualDevice>(config, options.stateDir);
        } catch (const std::exception& e) {
            error = e.what();
            return false;
        }
        device->setFaults(injector.options());
        device->setCommandLogLimit(options.commandLogLimit);
        if (options.trace != nullptr) {
            std::ostream* trace = options.trace;
            device->onCommand = [trace](const CommandRecord& record) {
                *trace << formatCommand(record) << '\n' << std::flush;
            };
        }
        return true;
    }

    // A device that has never been started has no memory yet; inspecting it creates it.
    VirtualDevice& ensureDevice() {
        if (!device) {
            std::string error;
            if (!makeDevice(error)) {
                throw std::runtime_error("velk-sim: " + error);
            }
        }
        return *device;
    }

    void dropClients() {
        for (const Client& client : clients) {
            ::close(client.fd);
            device->connectionClosed(client.id);
        }
        clients.clear();
        frames.releaseAll();
    }

    // Called with the mutex held.
    void closeClientLocked(int id) {
        for (auto it = clients.begin(); it != clients.end(); ++it) {
            if (it->id == id) {
                ::close(it->fd);
                device->connectionClosed(id);
                clients.erase(it);
                break;
            }
        }
        frames.release(id);
    }

    // Called with the mutex held: whether the host has closed its end (data it sent before
    // closing may still be waiting; it no longer matters).
    bool hungUp(int id) const {
        for (const Client& client : clients) {
            if (client.id == id) {
                pollfd entry{client.fd, POLLIN | POLLRDHUP, 0};
                return ::poll(&entry, 1, 0) > 0 &&
                       (entry.revents & (POLLHUP | POLLRDHUP | POLLERR | POLLNVAL)) != 0;
            }
        }
        return true;
    }

    // Called with the mutex held. The socket goes first: a host that sees its connection end
    // and looks again at once must not find (and connect to) a device that is going away.
    void unplug() {
        listener.close();
        dropClients();
        device->powerLost();
        injector.disarmDisconnect();
        if (injector.options().replugAfter) {
            replugAt = Clock::now() + *injector.options().replugAfter;
        }
    }

    void acceptClients() {
        for (;;) {
            const int fd = ::accept4(listener.fd(), nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
            if (fd < 0) {
                return;
            }
            clients.push_back({fd, nextClientId++});
        }
    }

    // One message taken from a client and handled by the device.
    struct Served {
        bool handled = false;  // false: nothing was waiting, or the client has gone (gone)
        bool gone = false;
        FrameOutcome outcome;
        Clock::time_point arrived;
    };

    Served receiveAndHandle(const Client& client, std::vector<std::uint8_t>& buffer) {
        Served served;
        served.arrived = Clock::now();
        std::lock_guard lock(mutex);
        const ssize_t got = ::recv(client.fd, buffer.data(), buffer.size(), MSG_DONTWAIT);
        if (got < 0 && (errno == EAGAIN || errno == EINTR)) {
            return served;
        }
        if (got <= 0) {
            served.gone = true;
            return served;
        }
        served.handled = true;
        served.outcome = frames.handle(*device, injector, client.id,
                                       {buffer.data(), static_cast<std::size_t>(got)},
                                       [this](int id) { return hungUp(id); });
        if (served.outcome.droppedHolder != 0) {
            closeClientLocked(served.outcome.droppedHolder);
        }
        wire += served.outcome.transferTime;
        return served;
    }

    // Whether the next message waiting from the client is a transfer its host queued behind the
    // one just handled (it is looked at, not taken).
    static bool queuedTransferWaiting(int fd) {
        std::uint8_t header[velk::vdev::kHeaderBytes];
        const ssize_t got = ::recv(fd, header, sizeof header, MSG_PEEK | MSG_DONTWAIT);
        return got == static_cast<ssize_t>(sizeof header) &&
               (header[2] & velk::vdev::kQueuedFlag) != 0;
    }

    static bool plainAnswer(const FrameOutcome& outcome) {
        return !outcome.answer.empty() && outcome.delay.count() == 0 && !outcome.unplugNow &&
               !outcome.hangUp;
    }

    // Sends a handled message's answer once the simulated bus has carried it; false when the
    // client must go.
    bool answer(const Client& client, const Served& served) {
        const FrameOutcome& outcome = served.outcome;
        if (outcome.answer.empty()) {
            return !outcome.hangUp;
        }
        if (config.speed == Speed::FullSpeed) {
            // A queued transfer follows the previous one's completion on the bus, however late
            // that answer went out. A transfer submitted after that answer arrived is timed from
            // when the answer was due: the host is charged for its own turn-around, not for the
            // simulator's oversleeping, which would otherwise add up over thousands of commands.
            const Clock::time_point start =
                outcome.queued ? lastCompletion
                               : std::max(lastCompletion, served.arrived - lastLateness);
            lastCompletion = start + outcome.transferTime;
            std::this_thread::sleep_until(lastCompletion);
            lastLateness = std::max(Clock::duration{}, Clock::now() - lastCompletion);
        }
        if (outcome.delay.count() > 0) {
            std::this_thread::sleep_for(outcome.delay);
        }
        ::send(client.fd, outcome.answer.data(), outcome.answer.size(),
               MSG_DONTWAIT | MSG_NOSIGNAL);
        if (outcome.unplugNow) {
            std::lock_guard lock(mutex);
            unplug();
        }
        return !outcome.hangUp;
    }

    // Serves one message from a client, and the transfer queued behind it when that is waiting
    // already; false when the client has gone or must go. The queued one is handled before the
    // first answer goes out, so the two answers leave together when the bus completes them
    // together: the host then wakes once for both, as it does for two transfers that end in one
    // frame, instead of once for each.
    bool serve(const Client& client, std::vector<std::uint8_t>& buffer) {
        Served current = receiveAndHandle(client, buffer);
        for (;;) {
            if (!current.handled) {
                return !current.gone;
            }
            Served next;
            if (plainAnswer(current.outcome) && queuedTransferWaiting(client.fd)) {
                next = receiveAndHandle(client, buffer);
            }
            if (!answer(client, current)) {
                return false;
            }
            if (!next.handled && !next.gone) {
                return true;
            }
            current = std::move(next);
        }
    }

    void closeClient(int id) {
        std::lock_guard lock(mutex);
        closeClientLocked(id);
    }

    void run() {
        std::vector<std::uint8_t> buffer(velk::vdev::kMaxFrameBytes);
        while (!stopping.load()) {
            std::vector<pollfd> fds;
            std::vector<int> ids;
            int timeout = -1;
            {
                std::lock_guard lock(mutex);
                if (replugAt) {
                    if (Clock::now() >= *replugAt) {
                        replugAt.reset();
                        std::string error;
                        if (!listener.listen(socketPath, options.socketPath.empty(), error)) {
                            std::fprintf(stderr, "velk-sim: cannot come back: %s\n", error.c_str());
                        }
                    } else {
                        timeout =
                            static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                                 *replugAt - Clock::now())
                                                 .count() +
                                             1);
                    }
                }
                fds.push_back({wakeFd, POLLIN, 0});
                fds.push_back({listener.fd(), POLLIN, 0});  // -1 is ignored by poll
                for (const Client& client : clients) {
                    fds.push_back({client.fd, POLLIN, 0});
                    ids.push_back(client.id);
                }
            }
            const int ready = ::poll(fds.data(), fds.size(), timeout);
            if (ready < 0 && errno != EINTR) {
                break;
            }
            if (ready <= 0 || (fds[0].revents & POLLIN) != 0) {
                continue;  // woken to stop, or time to come back
            }
            if ((fds[1].revents & POLLIN) != 0) {
                std::lock_guard lock(mutex);
                if (listener.open()) {
                    acceptClients();
                }
            }
            for (std::size_t i = 2; i < fds.size(); ++i) {
                if (fds[i].revents == 0) {
                    continue;
                }
                Client client;
                {
                    std::lock_guard lock(mutex);
                    bool found = false;
                    for (const Client& c : clients) {
                        if (c.id == ids[i - 2]) {
                            client = c;
                            found = true;
                        }
                    }
                    if (!found) {
                        continue;  // dropped by an unplug while we were serving another
                    }
                }
                if (!serve(client, buffer)) {
                    closeClient(client.id);
                }
            }
        }
    }
};

SimServer::SimServer(DeviceConfig config, ServerOptions options)
    : impl_(std::make_unique<Impl>(std::move(config), std::move(options))) {}

SimServer::~SimServer() {
    stop();
}

bool SimServer::start(std::string* error) {
    std::string reason;
    if (impl_->thread.joinable()) {
        if (plugged()) {
            return true;
        }
        stop();  // unplugged by a fault: plug in again on the same memory
    }
    {
        std::lock_guard lock(impl_->mutex);
        if (!impl_->device && !impl_->makeDevice(reason)) {
            if (error != nullptr) {
                *error = reason;
            }
            return false;
        }
        if (!impl_->listener.listen(impl_->socketPath, impl_->options.socketPath.empty(), reason)) {
            if (error != nullptr) {
                *error = reason;
            }
            return false;
        }
    }
    impl_->wakeFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    impl_->stopping = false;
    impl_->thread = std::thread([this] {
        // The default 50 us timer slack would make every simulated transfer that much late.
        ::prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
        impl_->run();
    });
    return true;
}

void SimServer::stop() {
    if (impl_->thread.joinable()) {
        impl_->stopping = true;
        const std::uint64_t one = 1;
        [[maybe_unused]] const ssize_t written = ::write(impl_->wakeFd, &one, sizeof(one));
        impl_->thread.join();
    }
    if (impl_->wakeFd >= 0) {
        ::close(impl_->wakeFd);
        impl_->wakeFd = -1;
    }
    std::lock_guard lock(impl_->mutex);
    impl_->listener.close();  // before the connections end, as in unplug()
    if (impl_->device) {
        impl_->dropClients();
        impl_->device->powerLost();
    }
    impl_->replugAt.reset();
}

bool SimServer::restart(std::string* error) {
    stop();
    if (!impl_->options.stateDir.empty()) {
        std::lock_guard lock(impl_->mutex);
        impl_->device.reset();  // reload from the files, as a power cycle would
    }
    return start(error);
}

bool SimServer::plugged() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->listener.open();
}

std::filesystem::path SimServer::socketPath() const {
    return impl_->socketPath;
}

#define VELKSIM_LOCKED_DEVICE           \
    std::lock_guard lock(impl_->mutex); \
    VirtualDevice& device = impl_->ensureDevice()

std::size_t SimServer::romSize() const {
    VELKSIM_LOCKED_DEVICE;
    return device.romSize();
}

std::vector<std::uint8_t> SimServer::rom() const {
    VELKSIM_LOCKED_DEVICE;
    const auto bytes = device.rom();
    return {bytes.begin(), bytes.end()};
}

std::vector<std::uint8_t> SimServer::romBytes(std::uint32_t byteAddress, std::size_t length) const {
    VELKSIM_LOCKED_DEVICE;
    const auto bytes = device.rom();
    if (byteAddress >= bytes.size()) {
        return {};
    }
    const std::size_t n = std::min(length, bytes.size() - byteAddress);
    return {bytes.begin() + byteAddress, bytes.begin() + byteAddress + n};
}

void SimServer::setRomBytes(std::uint32_t byteAddress, std::span<const std::uint8_t> bytes) {
    VELKSIM_LOCKED_DEVICE;
    device.setRomBytes(byteAddress, bytes);
}

std::vector<std::uint8_t> SimServer::saveRam() const {
    VELKSIM_LOCKED_DEVICE;
    return device.saveRam();
}

void SimServer::setSaveRam(std::span<const std::uint8_t> bytes) {
    VELKSIM_LOCKED_DEVICE;
    device.setSaveRam(bytes);
}

std::string SimServer::fileName(unsigned slot) const {
    const auto bytes = fileNameBytes(slot);
    std::string name;
    for (std::uint8_t b : bytes) {
        if (b == 0) {
            break;
        }
        name.push_back(static_cast<char>(b));
    }
    return name;
}

std::array<std::uint8_t, 64> SimServer::fileNameBytes(unsigned slot) const {
    VELKSIM_LOCKED_DEVICE;
    return device.fileName(slot);
}

std::uint32_t SimServer::eraseCounter() const {
    VELKSIM_LOCKED_DEVICE;
    return device.eraseCounter();
}

std::uint8_t SimServer::compatibilitySet() const {
    VELKSIM_LOCKED_DEVICE;
    return device.compatibilitySet();
}

Window SimServer::window() const {
    VELKSIM_LOCKED_DEVICE;
    return device.window();
}

std::vector<CommandRecord> SimServer::commandLog() const {
    VELKSIM_LOCKED_DEVICE;
    return device.commandLog();
}

void SimServer::clearCommandLog() {
    VELKSIM_LOCKED_DEVICE;
    device.clearCommandLog();
}

std::vector<std::string> SimServer::protocolErrors() const {
    VELKSIM_LOCKED_DEVICE;
    return device.protocolErrors();
}

unsigned SimServer::sectorEraseCount(std::uint32_t byteAddress) const {
    VELKSIM_LOCKED_DEVICE;
    return device.sectorEraseCount(byteAddress);
}

unsigned SimServer::chipEraseCount(unsigned chip) const {
    VELKSIM_LOCKED_DEVICE;
    return device.chipEraseCount(chip);
}

std::uint64_t SimServer::programmedBlocks() const {
    VELKSIM_LOCKED_DEVICE;
    return device.programmedBlocks();
}

unsigned SimServer::timesProgrammed(std::uint32_t byteAddress) const {
    VELKSIM_LOCKED_DEVICE;
    return device.timesProgrammed(byteAddress);
}

std::uint64_t SimServer::transferCount() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->injector.transfers();
}

std::chrono::microseconds SimServer::wireTime() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->wire;
}

void SimServer::setFaults(const FaultOptions& faults) {
    VELKSIM_LOCKED_DEVICE;
    impl_->injector.set(faults);
    device.setFaults(faults);
}

FaultOptions SimServer::faults() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->injector.options();
}

void SimServer::finishPendingErases() {
    VELKSIM_LOCKED_DEVICE;
    device.finishPendingErases();
}

}  // namespace velksim
