// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "engine/open_refusal.h"

#include <velk_series/velk_series.h>

#include <mutex>

namespace nuvrel {

namespace {

// The latest refusal and how many there were, shared by the library's threads and the watches.
struct OpenRefusals {
    std::mutex mutex;
    std::uint64_t count = 0;
    std::string latest;
};

OpenRefusals& openRefusals() {
    static OpenRefusals refusals;
    return refusals;
}

}  // namespace

bool noteIfOpenRefusal(int icon, const char* text) {
    if (icon != VELK_ICON_REFUSAL) {
        return false;
    }
    OpenRefusals& refusals = openRefusals();
    const std::lock_guard<std::mutex> lock(refusals.mutex);
    ++refusals.count;
    refusals.latest = text != nullptr ? text : "";
    return true;
}

OpenRefusalWatch::OpenRefusalWatch() {
    OpenRefusals& refusals = openRefusals();
    const std::lock_guard<std::mutex> lock(refusals.mutex);
    start_ = refusals.count;
}

std::string OpenRefusalWatch::reason() const {
    OpenRefusals& refusals = openRefusals();
    const std::lock_guard<std::mutex> lock(refusals.mutex);
    return refusals.count != start_ ? refusals.latest : std::string();
}

}  // namespace nuvrel
