// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "shell/elapsed_timer.h"

#include <QWidget>

namespace nuvrel {

ElapsedTimer::ElapsedTimer(QObject* parent) : QObject(parent) {
    m_timer.setInterval(std::chrono::milliseconds(1000));
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &ElapsedTimer::onTick);
}

void ElapsedTimer::setTickInterval(std::chrono::milliseconds interval) {
    m_timer.setInterval(interval);
}

void ElapsedTimer::start(QWidget* field) {
    m_field = field;
    m_time.reset();
    m_timer.start();
}

void ElapsedTimer::stop() {
    m_timer.stop();
}

void ElapsedTimer::onTick() {
    m_time.tick();
    const QString text = m_time.text();
    if (m_field != nullptr) {
        m_field->setProperty("text", text);
    }
    emit ticked(text);
}

}  // namespace nuvrel
