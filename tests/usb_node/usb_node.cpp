// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "usb_node.h"

#include <sys/stat.h>
#include <umockdev.h>

#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>
#include <set>
#include <stdexcept>
#include <thread>

#include "emulated_device.h"
#include "usb_descriptors.h"

namespace velkusb {

namespace {

constexpr const char* kHostController = "/devices/pci0000:00/0000:00:14.0";

std::string three(unsigned value) {
    char text[8];
    std::snprintf(text, sizeof text, "%03u", value);
    return text;
}

// umockdev keeps one testbed per process: the preload library of this process and of its
// children finds it through UMOCKDEV_DIR, and libusb's device list follows its uevents, so it
// is made once and kept while the process lives.
struct ProcessBus {
    UMockdevTestbed* testbed = nullptr;
    std::mutex mutex;                         // sysfs changes
    std::map<unsigned, unsigned> lastDevnum;  // per bus: numbers are never reused in a process
    std::set<std::string> hubs;               // added once, kept
};

ProcessBus& processBus() {
    static ProcessBus bus;
    return bus;
}

UMockdevTestbed* processTestbed() {
    static UMockdevTestbed* testbed = [] {
        if (!preloadLoaded()) {
            throw std::runtime_error(
                "velk usb node: not running under umockdev's preload library "
                "(call velkusb::enterMockEnvironment first)");
        }
        UMockdevTestbed* made = umockdev_testbed_new();
        // Children started by other users (or with fewer rights) must still see the bus.
        gchar* root = umockdev_testbed_get_root_dir(made);
        ::chmod(root, 0755);
        g_free(root);
        return made;
    }();
    return testbed;
}

}  // namespace

struct UsbNode::Impl {
    struct Slot {
        std::unique_ptr<EmulatedDevice> device;
        std::string sysPath;
        std::string devNode;
        unsigned bus = 1;
        bool visible = false;  // its sysfs entry is in place
    };
    struct Action {
        std::size_t index = 0;
        bool replug = false;  // else: remove the sysfs entry of an unplugged device
        Clock::time_point due;
    };

    mutable std::mutex mutex;  // the devices
    std::mutex& testbedMutex = processBus().mutex;
    UMockdevTestbed* testbed = nullptr;
    UMockdevIoctlBase* handler = nullptr;
    std::vector<std::unique_ptr<Slot>> slots;
    std::map<unsigned, unsigned>& lastDevnum = processBus().lastDevnum;
    std::set<std::string>& hubs = processBus().hubs;

    std::mutex actionMutex;
    std::condition_variable actionWake;
    std::deque<Action> actions;
    bool stopping = false;
    std::thread actionThread;

    gulong ioctlHandler = 0;
    gulong connectHandler = 0;

    // The device a program opened, even when it has since been plugged in again under another
    // node; else the one on the node.
    EmulatedDevice* deviceFor(UMockdevIoctlClient* client) {
        for (auto& slot : slots) {
            if (slot->device->hasClient(client)) {
                return slot->device.get();
            }
        }
        const char* devnode = umockdev_ioctl_client_get_devnode(client);
        for (auto& slot : slots) {
            if (slot->devNode == devnode) {
                return slot->device.get();
            }
        }
        return nullptr;
    }

    static gboolean onIoctl(UMockdevIoctlBase*, UMockdevIoctlClient* client, gpointer self) {
        auto* impl = static_cast<Impl*>(self);
        std::lock_guard lock(impl->mutex);
        EmulatedDevice* device = impl->deviceFor(client);
        if (device == nullptr) {
            umockdev_ioctl_client_complete(client, -1, ENODEV);
            return TRUE;
        }
        return device->handleIoctl(client) ? TRUE : FALSE;
    }

    static void onClientNotify(GObject* object, GParamSpec*, gpointer self) {
        auto* impl = static_cast<Impl*>(self);
        auto* client = UMOCKDEV_IOCTL_CLIENT(object);
        if (umockdev_ioctl_client_get_connected(client)) {
            return;
        }
        std::lock_guard lock(impl->mutex);
        for (auto& slot : impl->slots) {
            slot->device->clientClosed(client);
        }
    }

    static void onClientConnected(UMockdevIoctlBase*, UMockdevIoctlClient* client, gpointer self) {
        g_signal_connect(client, "notify::connected", G_CALLBACK(&Impl::onClientNotify), self);
    }

    // The root hub and every hub between it and `port`, once each.
    std::string parentFor(const PortPath& port) {
        std::string path = std::string(kHostController) + "/usb" + std::to_string(port.bus);
        if (hubs.insert(path).second) {
            lastDevnum[port.bus] = std::max(lastDevnum[port.bus], 1u);
            umockdev_testbed_add_from_string(testbed, hubSysfsEntry(path, "", port.bus, 1).c_str(),
                                             nullptr);
        }
        std::string name = std::to_string(port.bus) + "-";
        for (std::size_t i = 0; i + 1 < port.ports.size(); ++i) {
            name += (i == 0 ? "" : ".") + std::to_string(port.ports[i]);
            path += "/" + name;
            if (hubs.insert(path).second) {
                const unsigned devnum = ++lastDevnum[port.bus];
                umockdev_testbed_add_from_string(
                    testbed, hubSysfsEntry(path, name, port.bus, devnum).c_str(), nullptr);
            }
        }
        return path;
    }

    // Plugs the device of a slot in under a new device number.
    void plugIn(Slot& slot) {
        std::lock_guard testbedLock(testbedMutex);
        const auto port = parsePort(slot.device->config().port);
        const std::string parent = parentFor(*port);
        const unsigned devnum = ++lastDevnum[port->bus];
        slot.bus = port->bus;
        slot.sysPath = "/sys" + parent + "/" + slot.device->config().port;
        std::string node = "/dev/bus/usb/" + three(port->bus) + "/" + three(devnum);
        GError* error = nullptr;
        if (!umockdev_testbed_attach_ioctl(testbed, node.c_str(), handler, &error)) {
            const std::string text = error != nullptr ? error->message : "unknown error";
            g_clear_error(&error);
            throw std::runtime_error("velk usb node: cannot attach to " + node + ": " + text);
        }
        {
            std::lock_guard lock(mutex);
            slot.devNode = node;
            slot.device->pluggedIn(devnum);
        }
        const std::string entry = velkSysfsEntry(slot.device->config(), parent, devnum);
        if (!umockdev_testbed_add_from_string(testbed, entry.c_str(), &error)) {
            const std::string text = error != nullptr ? error->message : "unknown error";
            g_clear_error(&error);
            throw std::runtime_error("velk usb node: cannot add " + slot.sysPath + ": " + text);
        }
        gchar* root = umockdev_testbed_get_root_dir(testbed);
        const std::string file = std::string(root) + node;
        g_free(root);
        // Without the udev rule the node belongs to root and nobody else may open it.
        ::chmod(file.c_str(),
                slot.device->config().faults.open == OpenFault::NoPermission ? 0000 : 0666);
        umockdev_testbed_uevent(testbed, slot.sysPath.c_str(), "add");
        std::lock_guard lock(mutex);
        slot.visible = true;
    }

    void removeEntry(Slot& slot) {
        std::lock_guard testbedLock(testbedMutex);
        if (slot.sysPath.empty()) {
            return;
        }
        {
            std::lock_guard lock(mutex);
            slot.visible = false;
        }
        umockdev_testbed_uevent(testbed, slot.sysPath.c_str(), "remove");
        umockdev_testbed_remove_device(testbed, slot.sysPath.c_str());
        GError* error = nullptr;
        umockdev_testbed_detach_ioctl(testbed, slot.devNode.c_str(), &error);
        g_clear_error(&error);
        slot.sysPath.clear();
    }

    void schedule(Action action) {
        {
            std::lock_guard lock(actionMutex);
            actions.push_back(action);
        }
        actionWake.notify_all();
    }

    void runActions() {
        std::unique_lock lock(actionMutex);
        while (!stopping) {
            if (actions.empty()) {
                actionWake.wait(lock);
                continue;
            }
            auto next =
                std::min_element(actions.begin(), actions.end(),
                                 [](const Action& a, const Action& b) { return a.due < b.due; });
            if (next->due > Clock::now()) {
                actionWake.wait_until(lock, next->due);
                continue;
            }
            const Action action = *next;
            actions.erase(next);
            lock.unlock();
            Slot& slot = *slots[action.index];
            if (action.replug) {
                bool wasPlugged;
                {
                    std::lock_guard deviceLock(mutex);
                    wasPlugged = slot.device->plugged();
                }
                if (!wasPlugged) {
                    removeEntry(slot);
                    plugIn(slot);
                }
            } else {
                removeEntry(slot);
            }
            lock.lock();
        }
    }
};

UsbNode::UsbNode() : impl_(std::make_unique<Impl>()) {
    impl_->testbed = processTestbed();
    impl_->handler = umockdev_ioctl_base_new();
    impl_->ioctlHandler =
        g_signal_connect(impl_->handler, "handle-ioctl", G_CALLBACK(&Impl::onIoctl), impl_.get());
    impl_->connectHandler = g_signal_connect(impl_->handler, "client-connected",
                                             G_CALLBACK(&Impl::onClientConnected), impl_.get());
    impl_->actionThread = std::thread([impl = impl_.get()] { impl->runActions(); });
}

UsbNode::~UsbNode() {
    {
        std::lock_guard lock(impl_->actionMutex);
        impl_->stopping = true;
    }
    impl_->actionWake.notify_all();
    impl_->actionThread.join();
    for (auto& slot : impl_->slots) {
        {
            std::lock_guard lock(impl_->mutex);
            slot->device->unplug();
        }
        impl_->removeEntry(*slot);
    }
    {
        std::lock_guard lock(impl_->mutex);
        g_signal_handler_disconnect(impl_->handler, impl_->ioctlHandler);
        g_signal_handler_disconnect(impl_->handler, impl_->connectHandler);
        impl_->slots.clear();
    }
    g_object_unref(impl_->handler);
}

std::size_t UsbNode::add(NodeDeviceConfig config) {
    if (!parsePort(config.port)) {
        throw std::invalid_argument("velk usb node: not a port path: " + config.port);
    }
    auto slot = std::make_unique<Impl::Slot>();
    slot->device = std::make_unique<EmulatedDevice>(std::move(config));
    std::size_t index;
    {
        std::lock_guard lock(impl_->mutex);
        index = impl_->slots.size();
        impl_->slots.push_back(std::move(slot));
        impl_->slots[index]->device->onFaultUnplug =
            [impl = impl_.get(), index](std::optional<std::chrono::milliseconds> replug) {
                impl->schedule({index, false, Clock::now()});
                if (replug) {
                    impl->schedule({index, true, Clock::now() + *replug});
                }
            };
    }
    impl_->plugIn(*impl_->slots[index]);
    return index;
}

void UsbNode::unplug(std::size_t index) {
    Impl::Slot& slot = *impl_->slots.at(index);
    {
        std::lock_guard lock(impl_->mutex);
        slot.device->unplug();
    }
    impl_->removeEntry(slot);
}

void UsbNode::replug(std::size_t index) {
    Impl::Slot& slot = *impl_->slots.at(index);
    {
        std::lock_guard lock(impl_->mutex);
        slot.device->unplug();
    }
    impl_->removeEntry(slot);
    impl_->plugIn(slot);
}

bool UsbNode::plugged(std::size_t index) const {
    std::lock_guard lock(impl_->mutex);
    return impl_->slots.at(index)->device->plugged() && impl_->slots.at(index)->visible;
}

void UsbNode::setFaults(std::size_t index, const UrbFaults& faults) {
    std::lock_guard lock(impl_->mutex);
    impl_->slots.at(index)->device->setFaults(faults);
}

std::string UsbNode::devNode(std::size_t index) const {
    std::lock_guard lock(impl_->mutex);
    return impl_->slots.at(index)->devNode;
}

std::string UsbNode::port(std::size_t index) const {
    std::lock_guard lock(impl_->mutex);
    return impl_->slots.at(index)->device->config().port;
}

UrbStats UsbNode::stats(std::size_t index) const {
    std::lock_guard lock(impl_->mutex);
    impl_->slots.at(index)->device->sweepClosedClients();
    return impl_->slots.at(index)->device->stats();
}

bool UsbNode::waitUntilClosed(std::size_t index, std::chrono::milliseconds limit) const {
    const auto deadline = Clock::now() + limit;
    while (Clock::now() < deadline) {
        {
            std::lock_guard lock(impl_->mutex);
            impl_->slots.at(index)->device->sweepClosedClients();
            if (!impl_->slots.at(index)->device->anyClient()) {
                return true;
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return false;
}

std::vector<std::uint8_t> UsbNode::romBytes(std::size_t index, std::uint32_t byteAddress,
                                            std::size_t length) const {
    std::lock_guard lock(impl_->mutex);
    const auto rom = impl_->slots.at(index)->device->model().rom();
    if (byteAddress >= rom.size()) {
        return {};
    }
    const std::size_t n = std::min(length, rom.size() - byteAddress);
    return {rom.begin() + byteAddress, rom.begin() + byteAddress + static_cast<long>(n)};
}

void UsbNode::setRomBytes(std::size_t index, std::uint32_t byteAddress,
                          const std::vector<std::uint8_t>& bytes) {
    std::lock_guard lock(impl_->mutex);
    impl_->slots.at(index)->device->model().setRomBytes(byteAddress, bytes);
}

std::vector<std::uint8_t> UsbNode::saveRam(std::size_t index) const {
    std::lock_guard lock(impl_->mutex);
    return impl_->slots.at(index)->device->model().saveRam();
}

void UsbNode::setSaveRam(std::size_t index, const std::vector<std::uint8_t>& bytes) {
    std::lock_guard lock(impl_->mutex);
    impl_->slots.at(index)->device->model().setSaveRam(bytes);
}

std::string UsbNode::fileName(std::size_t index, unsigned slot) const {
    std::lock_guard lock(impl_->mutex);
    const auto& bytes = impl_->slots.at(index)->device->model().fileName(slot);
    std::string name;
    for (std::uint8_t byte : bytes) {
        if (byte == 0) {
            break;
        }
        name += static_cast<char>(byte);
    }
    return name;
}

std::vector<velksim::CommandRecord> UsbNode::commandLog(std::size_t index) const {
    std::lock_guard lock(impl_->mutex);
    return impl_->slots.at(index)->device->model().commandLog();
}

std::vector<std::string> UsbNode::protocolErrors(std::size_t index) const {
    std::lock_guard lock(impl_->mutex);
    return impl_->slots.at(index)->device->model().protocolErrors();
}

std::chrono::microseconds UsbNode::wireTime(std::size_t index) const {
    std::lock_guard lock(impl_->mutex);
    return impl_->slots.at(index)->device->wireTime();
}

std::string UsbNode::description(std::size_t index) const {
    std::lock_guard lock(impl_->mutex);
    const Impl::Slot& slot = *impl_->slots.at(index);
    const auto port = parsePort(slot.device->config().port);
    std::string path = std::string(kHostController) + "/usb" + std::to_string(port->bus);
    std::string text =
        velkSysfsEntry(slot.device->config(), slot.sysPath.substr(4, slot.sysPath.rfind('/') - 4),
                       slot.device->devnum());
    // Ancestors follow the device, as umockdev-record writes them; hubs between the root hub
    // and the device are not described.
    text += "\n" + hubSysfsEntry(path, "", port->bus, 1);
    return text;
}

std::string UsbNode::root() const {
    gchar* root = umockdev_testbed_get_root_dir(impl_->testbed);
    std::string text = root;
    g_free(root);
    return text;
}

}  // namespace velkusb
