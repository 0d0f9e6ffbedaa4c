// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#include "flash/erase_poll_wait.h"

#include <functional>
#include <thread>

#include "testing/testing_hooks.h"

namespace velk {

namespace {

std::function<void(std::chrono::milliseconds)>& replacedSleep() {
    static std::function<void(std::chrono::milliseconds)> sleep;
    return sleep;
}

}  // namespace

void waitBeforeErasePoll() {
    if (replacedSleep()) {
        replacedSleep()(kErasePollInterval);
        return;
    }
    std::this_thread::sleep_for(kErasePollInterval);
}

void setPollSleepForTesting(std::function<void(std::chrono::milliseconds)> sleep) {
    replacedSleep() = std::move(sleep);
}

}  // namespace velk
