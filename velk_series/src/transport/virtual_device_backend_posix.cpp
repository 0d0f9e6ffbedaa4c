#include "transport/virtual_device_backend.h"

namespace velk {

namespace {

// Placeholder until the socket transport lands: finds no virtual device.
class NoVirtualDevices final : public Backend {
public:
    std::vector<std::string> enumerate() override { return {}; }
    std::unique_ptr<Connection> open(const std::string&) override { return nullptr; }
};

}  // namespace

Backend* virtualDeviceBackend() {
    static NoVirtualDevices backend;
    return &backend;
}

}  // namespace velk
