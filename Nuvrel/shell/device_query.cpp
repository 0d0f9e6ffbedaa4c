// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "shell/device_query.h"

#include "engine/open_refusal.h"
#include "engine/status_text.h"
#include "shell/device_busy.h"
#include "shell/device_operation_runner.h"
#include "shell/open_refusal_box.h"
#include "shell/user_prompts.h"
#include "shell/wait_cursor.h"

namespace nuvrel {

QueryProblem runDeviceQuery(const std::function<QueryFacts(bool showMessage)>& ask,
                            const std::string& step, bool libraryAnnounces) {
    QueryProblem problem;
    if (deviceInUse()) {
        // The library serves one thread at a time; the running operation has the device.
        problem.kind = DeviceProblem::Busy;
        return problem;
    }
    QueryFacts facts;
    {
        const WaitCursor wait;
        const OpenRefusalWatch watch;
        // Quiet first, so that a refused open is reported with its reason instead of
        // "Device Not Detected!".
        facts = ask(false);
        if (!facts.found) {
            problem.reason = QString::fromUtf8(watch.reason());
        }
    }
    if (!facts.answered) {
        problem.kind = DeviceProblem::NoAnswer;
        problem.step = step;
        problem.reason.clear();
        return problem;
    }
    if (facts.found) {
        return problem;
    }
    if (!problem.reason.isEmpty()) {
        problem.kind = DeviceProblem::Refused;
        return problem;
    }
    problem.kind = DeviceProblem::NotFound;
    if (libraryAnnounces) {
        // The library's own words, outside the wait cursor; the device may have come back.
        const QueryFacts again = ask(true);
        problem.announced = true;
        if (!again.answered) {
            problem.kind = DeviceProblem::NoAnswer;
            problem.step = step;
            problem.announced = false;
        } else if (again.found) {
            problem.kind = DeviceProblem::None;
            problem.announced = false;
        }
    }
    return problem;
}

bool showDeviceProblem(QWidget* parent, const QueryProblem& problem) {
    switch (problem.kind) {
        case DeviceProblem::None:
            return false;
        case DeviceProblem::Busy:
            showMessage(parent, QString::fromLatin1(kDeviceBusyText), PromptIcon::None);
            return true;
        case DeviceProblem::NotFound:
            if (problem.announced) {
                return false;
            }
            showMessage(parent, QString::fromLatin1(kDeviceNotDetectedText), PromptIcon::Error);
            return true;
        case DeviceProblem::Refused:
            return showOpenRefusal(parent, problem.reason);
        case DeviceProblem::NoAnswer:
            showMessage(parent, QString::fromStdString(NoAnswerAt(problem.step.c_str()).status),
                        PromptIcon::Error);
            return true;
    }
    return false;
}

}  // namespace nuvrel
