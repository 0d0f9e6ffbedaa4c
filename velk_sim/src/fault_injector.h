// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Transfer-level faults: counts the host's transfers and says which one to swallow, when to
// unplug and how far to cut a reply.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "velk_sim/sim_harness.h"

namespace velksim {

class FaultInjector {
  public:
    // Swallow: ignore the transfer and never answer; TimeOut: ignore it and answer "no data".
    enum class Action { Serve, Swallow, Delay, TimeOut };

    void set(const FaultOptions& options);
    const FaultOptions& options() const { return options_; }

    // Called for each transfer the host sends, before it is served.
    Action onTransfer();
    // After serving: true when the device must now unplug.
    bool unplugNow() const;
    // The most bytes a reply to `command` may carry while the short-reply fault applies to it.
    std::optional<std::size_t> replyLimit(std::uint8_t command) const;
    // A disconnect happens once; the device that comes back behaves again.
    void disarmDisconnect() { options_.disconnectAfterTransfers = 0; }

    std::uint64_t transfers() const { return transfers_; }

  private:
    FaultOptions options_;
    std::uint64_t transfers_ = 0;
};

}  // namespace velksim
