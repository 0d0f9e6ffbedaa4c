// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// How a worker's page updates reach the user-interface thread. Each update is applied there
// before the worker goes on, in the order sent: normally as a blocking queued call, and while the
// user-interface thread waits for a run that may end at once, by that thread itself. The wait so
// serves the worker's updates and nothing else: no clicks, timers or other handlers run inside
// a button handler that is still on the stack.
#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>

class QObject;

namespace nuvrel {

class UiUpdateChannel {
  public:
    // uiContext: an object of the user-interface thread that outlives every update sent.
    explicit UiUpdateChannel(QObject* uiContext) : m_context(uiContext) {}

    UiUpdateChannel(const UiUpdateChannel&) = delete;
    UiUpdateChannel& operator=(const UiUpdateChannel&) = delete;

    // Any thread: runs update on the user-interface thread and returns once it has run.
    void apply(const std::function<void()>& update);

    // User-interface thread, before the worker starts: from now until serveUntil returns, the
    // worker's updates wait for serveUntil instead of going the queued way it would not see.
    void prepareToServe();

    // User-interface thread: applies updates as they come until done() is true or the deadline
    // has passed, and every update sent while it served has been applied.
    void serveUntil(std::chrono::steady_clock::time_point deadline,
                    const std::function<bool()>& done);

  private:
    struct Pending {
        const std::function<void()>* update;
        bool applied = false;
    };

    QObject* m_context;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_serving = false;
    std::deque<Pending*> m_pending;
};

}  // namespace nuvrel
