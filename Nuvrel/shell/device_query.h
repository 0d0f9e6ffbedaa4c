// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Asking the device a short question from a page, on the user-interface thread: the busy check,
// the wait cursor while the device may hold the window, the quiet query that lets a refused open
// be reported with its reason, and the library's own "Device Not Detected!" when there simply is
// no device. A page gets back the answer and, when there is one, the problem; showDeviceProblem
// words the problem for the user.
#pragma once

#include <QString>
#include <functional>
#include <string>
#include <utility>

class QWidget;

namespace nuvrel {

enum class DeviceProblem {
    None,
    Busy,      // another operation has the device: it was not asked
    NotFound,  // no device could be opened
    Refused,   // the device is there but may not be opened; reason says why
    NoAnswer,  // a transfer of the query failed: the answer is not the device's
};

struct QueryProblem {
    DeviceProblem kind = DeviceProblem::None;
    QString reason;    // Refused: the library's words
    std::string step;  // NoAnswer: the step that failed, as the status texts name it
    // NotFound: the library has said "Device Not Detected!" itself (or, for a model without a
    // known size, chose to say nothing); nothing more is to be shown.
    bool announced = false;

    bool operator==(const QueryProblem&) const = default;
};

// What an answer says about the device.
struct QueryFacts {
    bool found = false;
    bool answered = true;
};

// ask(showMessage) queries the device once; showMessage lets the library announce a missing
// device itself. With libraryAnnounces, a device not found (and not refused) is asked once more
// with the message on, outside the wait cursor, and the problem comes back announced.
QueryProblem runDeviceQuery(const std::function<QueryFacts(bool showMessage)>& ask,
                            const std::string& step, bool libraryAnnounces);

// The answer of a query together with its problem.
template <typename Answer>
struct DeviceReply {
    Answer value{};
    QueryProblem problem;

    bool ok() const { return problem.kind == DeviceProblem::None; }
};

// query(bool showMessage) -> Answer; facts(const Answer&) -> QueryFacts.
template <typename Answer, typename Query, typename Facts>
DeviceReply<Answer> askDevice(Query&& query, Facts&& facts, const std::string& step,
                              bool libraryAnnounces) {
    DeviceReply<Answer> reply;
    reply.problem = runDeviceQuery(
        [&](bool showMessage) {
            reply.value = query(showMessage);
            return facts(reply.value);
        },
        step, libraryAnnounces);
    return reply;
}

// The box for a problem: "Velk Device is Busy!" (no icon), "Device Not Detected!" (error icon,
// unless the library has spoken), the refusal's reason (information icon), "Device not
// answering: <step>" (error icon). Returns whether a box was shown.
bool showDeviceProblem(QWidget* parent, const QueryProblem& problem);

}  // namespace nuvrel
