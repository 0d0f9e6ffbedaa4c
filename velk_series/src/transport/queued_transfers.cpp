// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: LGPL-2.1-or-later

// The one-after-the-other pairs, for transports that cannot queue (the Windows driver, the test
// recorder): the second transfer starts only once the first has completed in full.
#include "transport/transport.h"

namespace velk {

QueuedResult Connection::outThenOut(std::span<const std::uint8_t> first,
                                    std::span<const std::uint8_t> second,
                                    std::chrono::milliseconds timeout) {
    QueuedResult result{bulkOut(first, timeout), {}};
    if (completedInFull(result.first, first.size())) {
        result.second = bulkOut(second, timeout);
    }
    return result;
}

QueuedResult Connection::outThenIn(std::span<const std::uint8_t> first,
                                   std::span<std::uint8_t> second,
                                   std::chrono::milliseconds timeout) {
    QueuedResult result{bulkOut(first, timeout), {}};
    if (completedInFull(result.first, first.size())) {
        result.second = bulkIn(second, timeout);
    }
    return result;
}

}  // namespace velk
