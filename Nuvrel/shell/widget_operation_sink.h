// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// An OperationSink bound to a page's widgets. Every call made on a worker thread is applied on
// the user-interface thread before the call returns, so updates arrive in the order sent.
#pragma once

#include "engine/operation_sink.h"
#include "shell/operation_controls.h"

namespace nuvrel {

class ElapsedTimer;
class UiUpdateChannel;

class WidgetOperationSink final : public OperationSink {
  public:
    // updates reach the user-interface thread; timer drives controls.processTime.
    WidgetOperationSink(UiUpdateChannel& updates, const OperationControls& controls,
                        ElapsedTimer& timer);

    void setProgressRange(std::uint16_t upper) override;
    void setProgressPosition(std::uint32_t position) override;
    void setStatus(std::string_view text) override;
    void setSector(std::string_view text) override;
    void setFastErase(bool ticked) override;
    void startElapsedTimer() override;
    void stopElapsedTimer() override;

  private:
    // The first sign that the run really began (it opened the device) clears what the previous
    // run left in the time field, and its first step or progress also the status line; a run
    // that ends quietly leaves them. Called on the user-interface thread.
    enum class What { Time, StatusAndTime };
    void clearPreviousRun(What what);

    UiUpdateChannel& m_updates;
    const OperationControls& m_controls;
    ElapsedTimer& m_timer;
    // User-interface thread only.
    bool m_timeCleared = false;
    bool m_statusCleared = false;
};

}  // namespace nuvrel
