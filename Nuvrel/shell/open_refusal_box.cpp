// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "shell/open_refusal_box.h"

#include "shell/user_prompts.h"

namespace nuvrel {

bool showOpenRefusal(QWidget* parent, const QString& reason) {
    if (reason.isEmpty()) {
        return false;
    }
    showMessage(parent, reason, PromptIcon::Information);
    return true;
}

void reportOpenRefusal(const OperationOutcome& outcome, OperationSink& sink) {
    if (outcome.result == OperationResult::NoDevice && !outcome.openRefusal.empty()) {
        sink.setStatus(outcome.openRefusal);
    }
}

}  // namespace nuvrel
