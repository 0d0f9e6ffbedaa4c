// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "shell/device_operation_runner.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QWidget>

#include "shell/open_refusal_box.h"
#include "shell/user_prompts.h"
#include "shell/widget_operation_sink.h"

namespace nuvrel {

namespace {

std::atomic<int> workersAlive{0};

void setEnabled(const std::vector<QPointer<QWidget>>& widgets, bool enabled) {
    for (const auto& widget : widgets) {
        if (widget != nullptr) {
            widget->setEnabled(enabled);
        }
    }
}

}  // namespace

void runEngineAndReport(const std::function<OperationOutcome(OperationSink&)>& run,
                        OperationSink& sink) {
    reportOpenRefusal(run(sink), sink);
}

DeviceOperationRunner::DeviceOperationRunner(QObject* parent) : QObject(parent), m_timer(this) {}

DeviceOperationRunner::~DeviceOperationRunner() {
    waitUntilIdle();
    if (m_worker.joinable()) {
        m_worker.join();
    }
}

int DeviceOperationRunner::liveWorkers() {
    return workersAlive.load();
}

bool DeviceOperationRunner::BeginDeviceOperation(const OperationControls& controls, DeviceWork work,
                                                 QWidget* messageParent, const QString& busyText) {
    std::optional<DeviceLease> lease = DeviceGate::tryAcquire();
    if (!lease) {
        showMessage(messageParent, busyText, PromptIcon::None);
        return false;
    }
    // The previous worker has already handed back its page; only its thread may still be
    // returning, and it waits for nothing.
    if (m_worker.joinable()) {
        m_worker.join();
    }
    m_lease = std::move(lease);
    m_controls = controls;
    setEnabled(m_controls.disabledAtStart, false);

    m_running = true;
    ++workersAlive;
    emit operationStarted();
    m_updates.prepareToServe();
    m_worker =
        std::thread([this, work = std::move(work)]() mutable { runWorker(std::move(work)); });
    // A run that fails at once is over within the wait, so its controls are back before the
    // handler returns; the user's clicks and keys wait in the queue until then.
    m_updates.serveUntil(std::chrono::steady_clock::now() + m_startWait,
                         [this] { return !m_running; });
    return true;
}

void DeviceOperationRunner::runWorker(DeviceWork work) {
    {
        WidgetOperationSink sink(m_updates, m_controls, m_timer);
        if (work) {
            try {
                work(sink);
            } catch (...) {
                // An engine reports through the sink and never throws; should one still fail,
                // the page must not stay locked.
            }
        }
        // What the work captured is let go here, not after the page has been handed back.
        work = nullptr;
        // The time field must be still before the device is given back, whatever the work did.
        sink.stopElapsedTimer();
    }
    m_updates.apply([this] { EndDeviceOperation(); });
}

void DeviceOperationRunner::EndDeviceOperation() {
    if (m_controls.beforeEnabling) {
        m_controls.beforeEnabling();
    }
    setEnabled(m_controls.enabledAtEnd, true);
    m_lease.reset();
    m_running = false;
    --workersAlive;
    emit operationEnded();
}

void DeviceOperationRunner::waitUntilIdle() {
    // Not a nested QEventLoop: once the application was asked to quit, exec() returns at once.
    // The worker's last step posts to this thread, so waiting for events cannot miss the end.
    while (m_running) {
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    }
}

}  // namespace nuvrel
