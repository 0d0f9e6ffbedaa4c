// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The "Process Time:" counter: seconds, minutes and hours advanced one tick at a time. Hours are
// held in eight bits, so the display wraps after 255:59:59.
#pragma once

#include <QString>
#include <cstdint>

namespace nuvrel {

class ElapsedTime {
  public:
    void reset();
    void tick();
    // "%.2d:%.2d:%.2d" of hours, minutes and seconds.
    QString text() const;

  private:
    int m_seconds = 0;
    int m_minutes = 0;
    std::uint8_t m_hours = 0;
};

}  // namespace nuvrel
