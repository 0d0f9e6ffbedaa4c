// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "shell/wait_cursor.h"

#include <QApplication>
#include <QCursor>

namespace nuvrel {

WaitCursor::WaitCursor() {
    QApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
}

WaitCursor::~WaitCursor() {
    release();
}

void WaitCursor::release() {
    if (m_active) {
        m_active = false;
        QApplication::restoreOverrideCursor();
    }
}

}  // namespace nuvrel
