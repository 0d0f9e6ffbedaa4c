// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The built-in backends (USB, then virtual devices) on a machine with no device: opening must
// report "no device" promptly, not hang or pretend.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "testing/testing_hooks.h"
#include "velk_series/velk_series.h"

namespace {

// A private runtime folder so that no user's virtual device is found.
class PrivateRuntimeDir {
  public:
    PrivateRuntimeDir() {
        const char* previous = std::getenv("XDG_RUNTIME_DIR");
        hadPrevious_ = previous != nullptr;
        if (hadPrevious_) {
            previous_ = previous;
        }
        std::string pattern =
            (std::filesystem::temp_directory_path() / "velk-series-test-XXXXXX").string();
        dir_ = mkdtemp(pattern.data()) != nullptr ? pattern : std::string();
        setenv("XDG_RUNTIME_DIR", dir_.c_str(), 1);
    }
    ~PrivateRuntimeDir() {
        if (hadPrevious_) {
            setenv("XDG_RUNTIME_DIR", previous_.c_str(), 1);
        } else {
            unsetenv("XDG_RUNTIME_DIR");
        }
        std::error_code ignored;
        std::filesystem::remove_all(dir_, ignored);
    }
    bool ok() const { return !dir_.empty(); }

  private:
    std::string dir_;
    std::string previous_;
    bool hadPrevious_ = false;
};

TEST(BuiltinBackends, NoDeviceAnywhereGivesInvalidHandleAndZeroCapacity) {
    PrivateRuntimeDir runtime;
    ASSERT_TRUE(runtime.ok());
    velk::resetLibraryForTesting();
    if (access("/dev/bus/usb", F_OK) == 0) {
        GTEST_SKIP() << "this machine has USB device nodes; a Velk device might be attached";
    }
    EXPECT_EQ(OpenVelkDevice(), VELK_INVALID_DEVICE);
    EXPECT_EQ(GetMaxSize(nullptr, nullptr, 0), 0u);
    EXPECT_EQ(IsVelkBrivo(nullptr), 0);
    velk::resetLibraryForTesting();
}

}  // namespace
