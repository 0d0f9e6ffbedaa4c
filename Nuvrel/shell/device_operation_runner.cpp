#include "shell/device_operation_runner.h"

#include <velk_series/velk_series.h>
#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <QWidget>

#include "shell/device_busy.h"
#include "shell/ui_thread.h"
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
    if (deviceInUse()) {
        showMessage(messageParent, busyText, PromptIcon::None);
        return false;
    }
    SetVelkDeviceProcessed(1);
    m_controls = controls;
    setEnabled(m_controls.disabledAtStart, false);

    // The previous worker has already handed back its page; only its thread may still be
    // returning, and it waits for nothing.
    if (m_worker.joinable()) {
        m_worker.join();
    }
    m_running = true;
    ++workersAlive;
    m_worker =
        std::thread([this, work = std::move(work)]() mutable { runWorker(std::move(work)); });
    waitForQuickEnd();
    return true;
}

void DeviceOperationRunner::waitForQuickEnd() {
    // The worker's updates need the user-interface thread, so the wait keeps handling events;
    // the user's clicks and keys are held back until the handler has returned.
    QEventLoop loop;
    QTimer::singleShot(m_startWait, &loop, &QEventLoop::quit);
    connect(this, &DeviceOperationRunner::operationEnded, &loop, &QEventLoop::quit);
    if (m_running) {
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    }
}

void DeviceOperationRunner::runWorker(DeviceWork work) {
    {
        WidgetOperationSink sink(this, m_controls, m_timer);
        if (work) {
            try {
                work(sink);
            } catch (...) {
                // An engine reports through the sink and never throws; should one still fail,
                // the page must not stay locked.
            }
        }
        // The time field must be still before the busy flag is cleared, whatever the work did.
        sink.stopElapsedTimer();
    }
    runOnObjectThread(this, [this] { EndDeviceOperation(); });
}

void DeviceOperationRunner::EndDeviceOperation() {
    if (m_controls.beforeEnabling) {
        m_controls.beforeEnabling();
    }
    setEnabled(m_controls.enabledAtEnd, true);
    SetVelkDeviceProcessed(0);
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
