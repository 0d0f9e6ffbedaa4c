// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Drives a page's "Process Time:" field: once started it shows the elapsed time one tick after
// another until stopped. It lives on the user-interface thread; the ticks are counted, no clock
// is read, so a stopped timer never touches the field again.
#pragma once

#include <QObject>
#include <QPointer>
#include <QTimer>
#include <chrono>

#include "shell/elapsed_time.h"

class QWidget;

namespace nuvrel {

class ElapsedTimer : public QObject {
    Q_OBJECT

  public:
    explicit ElapsedTimer(QObject* parent = nullptr);

    // Tests shorten the tick; the program ticks once a second.
    void setTickInterval(std::chrono::milliseconds interval);

    // field is any widget with a "text" property (QLineEdit, QLabel).
    void start(QWidget* field);
    void stop();
    bool isRunning() const { return m_timer.isActive(); }

  signals:
    void ticked(const QString& text);

  private:
    void onTick();

    QTimer m_timer;
    ElapsedTime m_time;
    QPointer<QWidget> m_field;
};

}  // namespace nuvrel
