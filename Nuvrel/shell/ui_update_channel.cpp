// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "shell/ui_update_channel.h"

#include <QObject>
#include <QThread>

#include "shell/ui_thread.h"

namespace nuvrel {

void UiUpdateChannel::apply(const std::function<void()>& update) {
    if (QThread::currentThread() == m_context->thread()) {
        update();
        return;
    }
    std::unique_lock lock(m_mutex);
    if (!m_serving) {
        lock.unlock();
        runOnObjectThread(m_context, update);
        return;
    }
    Pending pending{&update};
    m_pending.push_back(&pending);
    m_changed.notify_all();
    m_changed.wait(lock, [&pending] { return pending.applied; });
}

void UiUpdateChannel::prepareToServe() {
    const std::lock_guard lock(m_mutex);
    m_serving = true;
}

void UiUpdateChannel::serveUntil(std::chrono::steady_clock::time_point deadline,
                                 const std::function<bool()>& done) {
    std::unique_lock lock(m_mutex);
    m_serving = true;
    while (true) {
        while (!m_pending.empty()) {
            Pending* next = m_pending.front();
            m_pending.pop_front();
            lock.unlock();
            (*next->update)();
            lock.lock();
            next->applied = true;
            m_changed.notify_all();
        }
        if (done()) {
            break;
        }
        // Checked under the lock: an update sent after this is queued for the next round, one
        // sent after the wait has ended goes the queued way.
        if (!m_changed.wait_until(lock, deadline, [this] { return !m_pending.empty(); })) {
            break;
        }
    }
    m_serving = false;
}

}  // namespace nuvrel
