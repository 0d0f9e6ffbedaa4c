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
// cannot see; a std::mutex makes the order visible. The call's end is signalled when the queued
// call is destroyed, so a call that is dropped undelivered (its object gone) still ends the wait.
struct Handover {
    std::mutex mutex;
    std::condition_variable ended;
    bool done = false;
};

class HandoverSignal {
  public:
    explicit HandoverSignal(std::shared_ptr<Handover> handover) : m_handover(std::move(handover)) {}
    HandoverSignal(HandoverSignal&&) noexcept = default;
    HandoverSignal(const HandoverSignal&) = delete;
    HandoverSignal& operator=(const HandoverSignal&) = delete;
    HandoverSignal& operator=(HandoverSignal&&) = delete;
    ~HandoverSignal() {
        if (m_handover) {
            const std::lock_guard lock(m_handover->mutex);
            m_handover->done = true;
            m_handover->ended.notify_all();
        }
    }
    // Orders the call after everything the waiting thread did before it waited.
    void synchronise() const { const std::lock_guard lock(m_handover->mutex); }

  private:
    std::shared_ptr<Handover> m_handover;
};

}  // namespace detail

template <typename Function>
void runOnObjectThread(QObject* context, Function&& function) {
    if (QThread::currentThread() == context->thread()) {
        std::forward<Function>(function)();
        return;
    }
    auto handover = std::make_shared<detail::Handover>();
    std::unique_lock lock(handover->mutex);
    auto call = [signal = std::make_shared<detail::HandoverSignal>(handover), &function] {
        signal->synchronise();
        function();
    };
    QMetaObject::invokeMethod(context, std::move(call), Qt::QueuedConnection);
    handover->ended.wait(lock, [&handover] { return handover->done; });
}

}  // namespace nuvrel
