// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// A request to stop a long operation at its next block boundary. Another thread, or a signal
// handler, asks; the engine checks between blocks. The program's pages have no cancel; nuvrel-cli
// asks on Ctrl-C.
#pragma once

#include <atomic>

namespace nuvrel {

class CancelToken {
  public:
    // Safe in a signal handler: the flag is lock-free.
    void request() noexcept { requested_.store(true, std::memory_order_relaxed); }
    bool requested() const noexcept { return requested_.load(std::memory_order_relaxed); }

  private:
    static_assert(std::atomic<bool>::is_always_lock_free);
    std::atomic<bool> requested_{false};
};

// True when a token was given and stop was asked for.
inline bool CancelRequested(const CancelToken* token) {
    return token != nullptr && token->requested();
}

}  // namespace nuvrel
