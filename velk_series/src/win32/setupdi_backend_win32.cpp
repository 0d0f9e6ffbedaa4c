// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#include <windows.h>
// windows.h first: setupapi.h depends on it.
#include <setupapi.h>

#include <memory>
#include <string>
#include <vector>

#include "win32/setupdi_backend.h"

namespace velk {

namespace {

// {01873FDF-61A8-11D1-AA5E-00C04FB1728B}
const GUID kInterfaceClass = {
    0x01873FDF, 0x61A8, 0x11D1, {0xAA, 0x5E, 0x00, 0xC0, 0x4F, 0xB1, 0x72, 0x8B}};

// Enumeration gives up after this many indexes that fail for reasons other than "no more".
constexpr DWORD kMaxInterfaceIndex = 1024;

class FileHandle {
  public:
    explicit FileHandle(HANDLE handle = INVALID_HANDLE_VALUE) : handle_(handle) {}
    ~FileHandle() {
        if (valid()) {
            CloseHandle(handle_);
        }
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;

    bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
    HANDLE get() const { return handle_; }

  private:
    HANDLE handle_;
};

HANDLE openForReadWrite(const std::string& path) {
    return CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                       FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
}

// Why CreateFile refused a device that is there. Drivers that allow one handle at a time (WinUSB
// among them) refuse a second program with a sharing violation or with access denied; Windows
// gives users no per-device permission to lack, so both mean another program has the device.
OpenResult refusedByLastError() {
    switch (GetLastError()) {
        case ERROR_SHARING_VIOLATION:
        case ERROR_ACCESS_DENIED:
            return {nullptr, OpenRefusal::InUse};
        default:
            return {};
    }
}

TransferStatus statusOfLastError() {
    switch (GetLastError()) {
        case ERROR_SEM_TIMEOUT:
            return TransferStatus::TimedOut;
        case ERROR_DEVICE_NOT_CONNECTED:
        case ERROR_DEV_NOT_EXIST:
        case ERROR_FILE_NOT_FOUND:
            return TransferStatus::NoDevice;
        default:
            return TransferStatus::Failed;
    }
}

// Both directions are write calls: the driver takes the direction from the pipe.
TransferResult writeCall(HANDLE pipe, const void* data, std::size_t size) {
    DWORD moved = 0;
    if (WriteFile(pipe, data, static_cast<DWORD>(size), &moved, nullptr) == 0) {
        return {statusOfLastError(), static_cast<std::size_t>(moved)};
    }
    return {TransferStatus::Ok, static_cast<std::size_t>(moved)};
}

class PipeConnection final : public Connection {
  public:
    PipeConnection(HANDLE in, HANDLE out) : in_(in), out_(out) {}

    // The driver bounds its own transfers; the calls are synchronous.
    TransferResult bulkOut(std::span<const std::uint8_t> data, std::chrono::milliseconds) override {
        return writeCall(out_.get(), data.data(), data.size());
    }
    TransferResult bulkIn(std::span<std::uint8_t> buffer, std::chrono::milliseconds) override {
        return writeCall(in_.get(), buffer.data(), buffer.size());
    }

  private:
    FileHandle in_;
    FileHandle out_;
};

class SetupDiBackend final : public Backend {
  public:
    std::vector<std::string> enumerate() override {
        std::vector<std::string> paths;
        HDEVINFO set = SetupDiGetClassDevsA(&kInterfaceClass, nullptr, nullptr,
                                            DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
        if (set == INVALID_HANDLE_VALUE) {
            return paths;
        }
        for (DWORD index = 0; index < kMaxInterfaceIndex; ++index) {
            SP_DEVICE_INTERFACE_DATA interfaceData{};
            interfaceData.cbSize = sizeof interfaceData;
            if (SetupDiEnumDeviceInterfaces(set, nullptr, &kInterfaceClass, index,
                                            &interfaceData) == 0) {
                if (GetLastError() == ERROR_NO_MORE_ITEMS) {
                    break;
                }
                continue;
            }
            DWORD required = 0;
            SetupDiGetDeviceInterfaceDetailA(set, &interfaceData, nullptr, 0, &required, nullptr);
            if (required < sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A)) {
                continue;
            }
            // DWORD storage keeps the detail record aligned.
            std::vector<DWORD> storage((required + sizeof(DWORD) - 1) / sizeof(DWORD));
            auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_A*>(storage.data());
            detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A);
            if (SetupDiGetDeviceInterfaceDetailA(set, &interfaceData, detail, required, nullptr,
                                                 nullptr) == 0) {
                continue;
            }
            paths.emplace_back(detail->DevicePath);
        }
        SetupDiDestroyDeviceInfoList(set);
        return paths;
    }

    OpenResult open(const std::string& path) override {
        {
            // The interface itself must open before its pipes are tried.
            FileHandle probe(openForReadWrite(path));
            if (!probe.valid()) {
                return refusedByLastError();
            }
        }
        HANDLE in = openForReadWrite(path + "\\PIPE00");
        if (in == INVALID_HANDLE_VALUE) {
            return refusedByLastError();
        }
        HANDLE out = openForReadWrite(path + "\\PIPE01");
        if (out == INVALID_HANDLE_VALUE) {
            OpenResult refused = refusedByLastError();
            CloseHandle(in);
            return refused;
        }
        return {std::make_unique<PipeConnection>(in, out), OpenRefusal::None};
    }
};

}  // namespace

Backend* setupDiBackend() {
    static SetupDiBackend backend;
    return &backend;
}

}  // namespace velk
