// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "console_progress.h"

#include <algorithm>
#include <cmath>

namespace nuvrel::cli {
namespace {

constexpr int kBarWidth = 24;
constexpr auto kRedrawInterval = std::chrono::milliseconds(100);

std::string FormatSpeed(double bytesPerSecond) {
    char text[32];
    if (bytesPerSecond >= 1024.0 * 1024.0) {
        std::snprintf(text, sizeof text, "%.1f MiB/s", bytesPerSecond / (1024.0 * 1024.0));
    } else {
        std::snprintf(text, sizeof text, "%.1f KiB/s", bytesPerSecond / 1024.0);
    }
    return text;
}

}  // namespace

std::string FormatDuration(double seconds) {
    const auto total = static_cast<long>(std::max(0.0, std::floor(seconds)));
    char text[32];
    std::snprintf(text, sizeof text, "%02ld:%02ld:%02ld", total / 3600, (total / 60) % 60,
                  total % 60);
    return text;
}

ConsoleProgress::ConsoleProgress(std::FILE* out, bool live, std::uint32_t blockBytes)
    : out_(out), live_(live), blockBytes_(blockBytes) {}

void ConsoleProgress::setProgressRange(std::uint16_t upper) {
    range_ = upper;
    redraw(false);
}

void ConsoleProgress::setProgressPosition(std::uint32_t position) {
    position_ = position;
    redraw(false);
}

void ConsoleProgress::setStatus(std::string_view text) {
    // The sector erase repeats its step word for every sector: one phase, one line.
    if (text == status_) {
        redraw(false);
        return;
    }
    status_ = std::string(text);
    phaseStart_ = Clock::now();
    phaseStartPosition_ = position_;
    if (live_) {
        redraw(true);
        return;
    }
    flushPendingStatus();
    pendingStatus_ = status_;
}

void ConsoleProgress::setSector(std::string_view text) {
    sector_ = std::string(text);
    redraw(false);
}

void ConsoleProgress::setFastErase(bool ticked) {
    fastErase_ = ticked;
}

void ConsoleProgress::startElapsedTimer() {
    timerStart_ = Clock::now();
    timerStop_.reset();
}

void ConsoleProgress::stopElapsedTimer() {
    if (timerStart_ && !timerStop_) {
        timerStop_ = Clock::now();
    }
}

void ConsoleProgress::finish(std::string_view outcomeStatus) {
    if (live_) {
        if (lineShown_) {
            std::fputs("\r\033[K", out_);
            lineShown_ = false;
        }
    } else if (pendingStatus_ && *pendingStatus_ != outcomeStatus) {
        flushPendingStatus();
    }
    pendingStatus_.reset();
    std::fflush(out_);
}

std::string ConsoleProgress::elapsedText() const {
    if (!timerStart_) {
        return FormatDuration(0);
    }
    const Clock::time_point end = timerStop_ ? *timerStop_ : Clock::now();
    return FormatDuration(std::chrono::duration<double>(end - *timerStart_).count());
}

void ConsoleProgress::flushPendingStatus() {
    if (pendingStatus_) {
        std::fprintf(out_, "%s\n", pendingStatus_->c_str());
        std::fflush(out_);
        pendingStatus_.reset();
    }
}

double ConsoleProgress::secondsSince(Clock::time_point start) const {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

void ConsoleProgress::redraw(bool force) {
    if (!live_) {
        return;
    }
    const Clock::time_point now = Clock::now();
    if (!force && now - lastDraw_ < kRedrawInterval && position_ + 1 < range_) {
        return;
    }
    lastDraw_ = now;
    // The engines report the index of the block just done, so i of n means i + 1 blocks.
    const std::uint32_t done = range_ == 0 ? 0 : std::min(position_ + 1, range_);
    const double fraction = range_ == 0 ? 0.0 : static_cast<double>(done) / range_;
    const int filled = static_cast<int>(fraction * kBarWidth);
    std::string bar(static_cast<std::size_t>(filled), '#');
    bar.append(static_cast<std::size_t>(kBarWidth - filled), '-');

    const double phaseSeconds = secondsSince(phaseStart_);
    const double phaseBlocks = position_ >= phaseStartPosition_
                                   ? static_cast<double>(position_ - phaseStartPosition_)
                                   : static_cast<double>(position_);
    std::string speed = "-";
    std::string eta = "--:--:--";
    if (phaseSeconds > 0.2 && phaseBlocks > 0) {
        const double blocksPerSecond = phaseBlocks / phaseSeconds;
        speed = FormatSpeed(blocksPerSecond * blockBytes_);
        eta = FormatDuration(static_cast<double>(range_ - done) / blocksPerSecond);
    }
    std::fprintf(out_, "\r\033[K%-14s %-9s [%s] %3d%%  %s  %s  ETA %s%s", status_.c_str(),
                 sector_.c_str(), bar.c_str(), static_cast<int>(fraction * 100.0), speed.c_str(),
                 elapsedText().c_str(), eta.c_str(), fastErase_ ? "  (chip erase)" : "");
    std::fflush(out_);
    lineShown_ = true;
}

}  // namespace nuvrel::cli
