// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Holds a test's worker until the test lets it go; opens by itself when the test ends early (a
// failed check), so a failing test never leaves a worker waiting forever.
#pragma once

#include <future>

namespace nuvrel::testing {

class WorkerGate {
  public:
    ~WorkerGate() { open(); }
    void open() {
        if (!m_opened) {
            m_opened = true;
            m_promise.set_value();
        }
    }
    // Worker side.
    void wait() const { m_future.wait(); }

  private:
    std::promise<void> m_promise;
    std::shared_future<void> m_future = m_promise.get_future().share();
    bool m_opened = false;
};

}  // namespace nuvrel::testing
