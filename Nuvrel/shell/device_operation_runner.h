// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Runs one long device operation at a time on a worker thread: the device held through the gate,
// the page's controls disabled while it runs and enabled on every way out, and the progress,
// status, "Sector:" and elapsed-time updates applied on the user-interface thread.
#pragma once

#include <QObject>
#include <QString>
#include <atomic>
#include <chrono>
#include <functional>
#include <optional>
#include <thread>
#include <utility>

#include "engine/device_gate.h"
#include "engine/device_texts.h"
#include "engine/operation_outcome.h"
#include "engine/operation_sink.h"
#include "shell/elapsed_timer.h"
#include "shell/operation_controls.h"
#include "shell/ui_update_channel.h"

class QWidget;

namespace nuvrel {

// The work of one operation: it opens the device, transfers, reports through the sink and closes
// the device again. It runs on the worker thread and must not touch widgets itself.
using DeviceWork = std::function<void(OperationSink&)>;

// Worker thread: runs an engine and reports its outcome, and when the device refused to open, the
// library's reason.
void runEngineAndReport(const std::function<OperationOutcome(OperationSink&)>& run,
                        OperationSink& sink);

class DeviceOperationRunner : public QObject {
    Q_OBJECT

  public:
    explicit DeviceOperationRunner(QObject* parent = nullptr);
    // Waits (handling events) for a running worker, so it never outlives the pages it updates.
    ~DeviceOperationRunner() override;

    DeviceOperationRunner(const DeviceOperationRunner&) = delete;
    DeviceOperationRunner& operator=(const DeviceOperationRunner&) = delete;

    // User-interface thread, inside a button handler, after the operation's own checks. Refuses
    // with busyText while the device gate is closed; otherwise holds the device, disables the
    // controls, starts work on a worker thread and gives it the start wait to end (applying its
    // updates meanwhile) before returning. Returns whether the operation was started.
    bool BeginDeviceOperation(const OperationControls& controls, DeviceWork work,
                              QWidget* messageParent = nullptr,
                              const QString& busyText = QString::fromLatin1(kDeviceBusyText));

    // An engine run as a page's operation: the request is copied for the worker, and a device
    // that refused to open is reported with the library's reason.
    template <typename Request>
    bool BeginEngineOperation(const OperationControls& controls,
                              OperationOutcome (*engine)(const Request&, OperationSink&),
                              Request request, QWidget* messageParent = nullptr,
                              const QString& busyText = QString::fromLatin1(kDeviceBusyText)) {
        return BeginDeviceOperation(
            controls,
            [engine, request = std::move(request)](OperationSink& sink) {
                runEngineAndReport([&](OperationSink& to) { return engine(request, to); }, sink);
            },
            messageParent, busyText);
    }

    // True from an accepted start until the worker has ended.
    bool isRunning() const { return m_running; }
    // Handles events until the worker has ended (user-interface thread).
    void waitUntilIdle();

    // How long BeginDeviceOperation waits for a run that ends at once (tests lengthen it).
    void setStartWait(std::chrono::milliseconds wait) { m_startWait = wait; }
    void setTickInterval(std::chrono::milliseconds interval) { m_timer.setTickInterval(interval); }
    ElapsedTimer& elapsedTimer() { return m_timer; }

    // Workers alive in the whole process.
    static int liveWorkers();

  signals:
    // Emitted on the user-interface thread once an operation holds the device, before its worker
    // starts.
    void operationStarted();
    // Emitted on the user-interface thread after the controls were enabled and the device given
    // back.
    void operationEnded();

  private:
    void runWorker(DeviceWork work);
    // Enables the controls and gives the device back; the last step of every worker.
    void EndDeviceOperation();

    OperationControls m_controls;
    ElapsedTimer m_timer;
    UiUpdateChannel m_updates{this};
    std::optional<DeviceLease> m_lease;
    std::thread m_worker;
    bool m_running = false;
    // A run that fails at once (no device, no file) is usually over within this wait, so its
    // controls are back before the button handler returns. The thread does nothing else while it
    // waits, so the wait stays under one frame at 60 Hz: a run that goes on never freezes the
    // window visibly (it held the thread for 100 ms at every write before).
    std::chrono::milliseconds m_startWait{10};
};

}  // namespace nuvrel
