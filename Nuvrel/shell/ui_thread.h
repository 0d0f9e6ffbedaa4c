// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Runs a piece of code on the thread that owns a QObject and waits until it has run there.
// Worker threads use it for every widget update; called on that thread it simply runs the code.
#pragma once

#include <QMetaObject>
#include <QObject>
#include <QThread>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <utility>

namespace nuvrel {

namespace detail {

// The hand-over between the waiting thread and the call. Qt's own blocking queued call would
// wait just as well, but it orders the two threads through Qt's locks, which a thread checker
// cannot see; a std::mutex makes the order visible. It is one lock for every hand-over because
// the call must take it before it reads anything the waiting thread wrote, its own captures
// included. The call's end is signalled when the queued call is destroyed, so a call that is
// dropped undelivered (its object gone) still ends the wait.
inline std::mutex& handoverMutex() {
    static std::mutex mutex;
    return mutex;
}

inline std::condition_variable& handoverEnded() {
    static std::condition_variable ended;
    return ended;
}

class HandoverSignal {
  public:
    explicit HandoverSignal(bool& done) : m_done(&done) {}
    HandoverSignal(const HandoverSignal&) = delete;
    HandoverSignal& operator=(const HandoverSignal&) = delete;
    ~HandoverSignal() {
        const std::lock_guard lock(handoverMutex());
        *m_done = true;
        handoverEnded().notify_all();
    }
    // Orders the call after everything the waiting thread did before it waited.
    static void synchronise() { const std::lock_guard lock(handoverMutex()); }

  private:
    bool* m_done;
};

}  // namespace detail

template <typename Function>
void runOnObjectThread(QObject* context, Function&& function) {
    if (QThread::currentThread() == context->thread()) {
        std::forward<Function>(function)();
        return;
    }
    bool done = false;
    std::unique_lock lock(detail::handoverMutex());
    // Copies of the call share one signal, which fires once, when the last of them is gone.
    auto call = [signal = std::make_shared<detail::HandoverSignal>(done), &function] {
        detail::HandoverSignal::synchronise();
        function();
    };
    QMetaObject::invokeMethod(context, std::move(call), Qt::QueuedConnection);
    detail::handoverEnded().wait(lock, [&done] { return done; });
}

}  // namespace nuvrel
