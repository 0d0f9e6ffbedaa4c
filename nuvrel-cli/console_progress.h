// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The command-line face of a long operation. On a terminal it redraws one line with the status
// word, sector, bar, percentage, speed, elapsed time and ETA; otherwise it prints each new status
// word on a line of its own, so logs and scripts get plain text.
#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

#include "engine/operation_sink.h"

namespace nuvrel::cli {

class ConsoleProgress final : public OperationSink {
  public:
    using Clock = std::chrono::steady_clock;

    // blockBytes: how many bytes one progress step stands for (for the speed).
    ConsoleProgress(std::FILE* out, bool live, std::uint32_t blockBytes);

    void setProgressRange(std::uint16_t upper) override;
    void setProgressPosition(std::uint32_t position) override;
    void setStatus(std::string_view text) override;
    void setSector(std::string_view text) override;
    void setFastErase(bool ticked) override;
    void startElapsedTimer() override;
    void stopElapsedTimer() override;

    // Ends the live line. The outcome text itself is the command's to print, so a pending status
    // equal to it is dropped here.
    void finish(std::string_view outcomeStatus);

    // "hh:mm:ss" of the time the operation has taken so far (or took, once stopped).
    std::string elapsedText() const;

  private:
    void redraw(bool force);
    void flushPendingStatus();
    double secondsSince(Clock::time_point start) const;

    std::FILE* out_;
    bool live_;
    std::uint32_t blockBytes_;
    std::uint32_t range_ = 0;
    std::uint32_t position_ = 0;
    std::string status_;
    std::string sector_;
    bool fastErase_ = false;
    std::optional<std::string> pendingStatus_;
    Clock::time_point created_ = Clock::now();
    std::optional<Clock::time_point> timerStart_;
    std::optional<Clock::time_point> timerStop_;
    Clock::time_point phaseStart_ = Clock::now();
    std::uint32_t phaseStartPosition_ = 0;
    Clock::time_point lastDraw_{};
    bool lineShown_ = false;
};

// "hh:mm:ss".
std::string FormatDuration(double seconds);

}  // namespace nuvrel::cli
