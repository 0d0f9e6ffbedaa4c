// One OpenVelkDevice ... CloseVelkDevice bracket. The runs close explicitly where the order of
// closing matters; the destructor closes on every other way out.
#pragma once

#include <velk_series/velk_series.h>

namespace nuvrel {

class DeviceSession {
  public:
    DeviceSession() : device_(OpenVelkDevice()) {}
    ~DeviceSession() { close(); }
    DeviceSession(const DeviceSession&) = delete;
    DeviceSession& operator=(const DeviceSession&) = delete;

    bool opened() const { return device_ != VELK_INVALID_DEVICE; }
    DeviceHandle get() const { return device_; }
    void close() {
        if (opened()) {
            CloseVelkDevice(device_);
            device_ = VELK_INVALID_DEVICE;
        }
    }

  private:
    DeviceHandle device_;
};

}  // namespace nuvrel
