// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "shell/widget_operation_sink.h"

#include <QAbstractButton>
#include <QProgressBar>
#include <QString>
#include <algorithm>
#include <limits>

#include "shell/elapsed_timer.h"
#include "shell/ui_update_channel.h"

namespace nuvrel {

namespace {

QString fromView(std::string_view text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

WidgetOperationSink::WidgetOperationSink(UiUpdateChannel& updates,
                                         const OperationControls& controls, ElapsedTimer& timer)
    : m_updates(updates), m_controls(controls), m_timer(timer) {}

void WidgetOperationSink::clearPreviousRun(What what) {
    if (!m_timeCleared && m_controls.processTime != nullptr) {
        m_controls.processTime->setProperty("text", QStringLiteral("00:00:00"));
    }
    m_timeCleared = true;
    if (what == What::StatusAndTime && !m_statusCleared && m_controls.status != nullptr) {
        m_controls.status->setProperty("text", QString());
    }
    m_statusCleared = m_statusCleared || what == What::StatusAndTime;
}

void WidgetOperationSink::setProgressRange(std::uint16_t upper) {
    m_updates.apply([this, upper] {
        clearPreviousRun(What::StatusAndTime);
        if (m_controls.progress != nullptr) {
            // A range of 0 ... 0 would turn the bar into Qt's busy animation, which keeps running
            // (and costing) after the run; a run without blocks still ends at a fixed position.
            m_controls.progress->setRange(0, std::max<int>(upper, 1));
        }
    });
}

void WidgetOperationSink::setProgressPosition(std::uint32_t position) {
    const int value = static_cast<int>(
        std::min<std::uint32_t>(position, std::numeric_limits<std::uint16_t>::max()));
    m_updates.apply([this, value] {
        if (m_controls.progress != nullptr) {
            m_controls.progress->setValue(value);
        }
    });
}

void WidgetOperationSink::setStatus(std::string_view text) {
    const QString value = fromView(text);
    m_updates.apply([this, value] {
        clearPreviousRun(What::StatusAndTime);
        if (m_controls.status != nullptr) {
            m_controls.status->setProperty("text", value);
        }
    });
}

void WidgetOperationSink::setSector(std::string_view text) {
    const QString value = fromView(text);
    m_updates.apply([this, value] {
        if (m_controls.sector != nullptr) {
            m_controls.sector->setProperty("text", value);
        }
    });
}

void WidgetOperationSink::setFastErase(bool ticked) {
    m_updates.apply([this, ticked] {
        if (m_controls.fastErase != nullptr) {
            m_controls.fastErase->setChecked(ticked);
        }
    });
}

void WidgetOperationSink::startElapsedTimer() {
    m_updates.apply([this] {
        // A run may still end quietly after its timer started (its file cannot be created); the
        // status line then keeps what it showed.
        clearPreviousRun(What::Time);
        m_timer.start(m_controls.processTime);
    });
}

void WidgetOperationSink::stopElapsedTimer() {
    m_updates.apply([this] { m_timer.stop(); });
}

}  // namespace nuvrel
