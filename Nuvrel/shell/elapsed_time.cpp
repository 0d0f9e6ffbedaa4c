// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "shell/elapsed_time.h"

namespace nuvrel {

void ElapsedTime::reset() {
    *this = ElapsedTime();
}

void ElapsedTime::tick() {
    if (++m_seconds == 60) {
        m_seconds = 0;
        if (++m_minutes == 60) {
            m_minutes = 0;
            ++m_hours;
        }
    }
}

QString ElapsedTime::text() const {
    return QString::asprintf("%.2d:%.2d:%.2d", static_cast<int>(m_hours), m_minutes, m_seconds);
}

}  // namespace nuvrel
