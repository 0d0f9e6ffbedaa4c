// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// What a long device operation reports while it runs. The GUI binds it to a page's progress bar,
// status line, "Sector:" field, "Fast Erase" box and "Process Time:" field; the CLI draws a
// terminal progress line. Engines never know which.
#pragma once

#include <cstdint>
#include <string_view>

namespace nuvrel {

class OperationSink {
  public:
    virtual ~OperationSink() = default;

    // Progress bar range 0 ... upper (the bar's range is 16 bits wide).
    virtual void setProgressRange(std::uint16_t upper) = 0;
    virtual void setProgressPosition(std::uint32_t position) = 0;
    // Status line: the step word ("Writing") and at the end the outcome ("Write Complite").
    virtual void setStatus(std::string_view text) = 0;
    // "Sector:" field of the ROM page.
    virtual void setSector(std::string_view text) = 0;
    // The "Fast Erase" box shows which erase method the write used.
    virtual void setFastErase(bool ticked) = 0;
    // The elapsed-time display; stopping a display that never started has no effect.
    virtual void startElapsedTimer() = 0;
    virtual void stopElapsedTimer() = 0;
};

}  // namespace nuvrel
