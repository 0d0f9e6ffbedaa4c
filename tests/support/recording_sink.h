// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// An OperationSink that records what an engine reported, in order, so tests can check the status
// texts and the progress sequence. A hook sees each event as it happens, e.g. to unplug the
// device once writing has started.
#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/operation_sink.h"

namespace nuvrel::testing {

struct SinkEvent {
    enum class Kind { Range, Position, Status, Sector, FastErase, TimerStart, TimerStop };
    Kind kind;
    std::uint32_t number = 0;
    std::string text;
};

class RecordingSink : public OperationSink {
  public:
    std::function<void(const SinkEvent&)> onEvent;

    void setProgressRange(std::uint16_t upper) override {
        add({SinkEvent::Kind::Range, upper, {}});
    }
    void setProgressPosition(std::uint32_t position) override {
        add({SinkEvent::Kind::Position, position, {}});
    }
    void setStatus(std::string_view text) override {
        add({SinkEvent::Kind::Status, 0, std::string(text)});
    }
    void setSector(std::string_view text) override {
        add({SinkEvent::Kind::Sector, 0, std::string(text)});
    }
    void setFastErase(bool ticked) override {
        add({SinkEvent::Kind::FastErase, ticked ? 1u : 0u, {}});
    }
    void startElapsedTimer() override { add({SinkEvent::Kind::TimerStart, 0, {}}); }
    void stopElapsedTimer() override { add({SinkEvent::Kind::TimerStop, 0, {}}); }

    const std::vector<SinkEvent>& events() const { return events_; }

    std::vector<std::string> texts(SinkEvent::Kind kind) const {
        std::vector<std::string> out;
        for (const auto& event : events_) {
            if (event.kind == kind) {
                out.push_back(event.text);
            }
        }
        return out;
    }
    std::vector<std::uint32_t> numbers(SinkEvent::Kind kind) const {
        std::vector<std::uint32_t> out;
        for (const auto& event : events_) {
            if (event.kind == kind) {
                out.push_back(event.number);
            }
        }
        return out;
    }
    std::vector<std::string> statuses() const { return texts(SinkEvent::Kind::Status); }
    // Statuses with consecutive repeats folded ("Erasing" is shown once per sector).
    std::vector<std::string> distinctStatuses() const {
        std::vector<std::string> all = statuses();
        all.erase(std::unique(all.begin(), all.end()), all.end());
        return all;
    }
    std::vector<std::string> sectors() const { return texts(SinkEvent::Kind::Sector); }
    std::vector<std::uint32_t> positions() const { return numbers(SinkEvent::Kind::Position); }
    std::optional<std::uint32_t> range() const {
        const auto all = numbers(SinkEvent::Kind::Range);
        return all.empty() ? std::nullopt : std::optional<std::uint32_t>(all.back());
    }
    std::optional<bool> fastErase() const {
        const auto all = numbers(SinkEvent::Kind::FastErase);
        return all.empty() ? std::nullopt : std::optional<bool>(all.back() != 0);
    }
    std::size_t count(SinkEvent::Kind kind) const {
        return static_cast<std::size_t>(std::count_if(
            events_.begin(), events_.end(), [kind](const SinkEvent& e) { return e.kind == kind; }));
    }

  private:
    void add(SinkEvent event) {
        events_.push_back(event);
        if (onEvent) {
            onEvent(events_.back());
        }
    }

    std::vector<SinkEvent> events_;
};

}  // namespace nuvrel::testing
