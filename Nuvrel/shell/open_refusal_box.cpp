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

bool showOpenRefusal(QWidget* parent, const OpenRefusalWatch& watch) {
    return showOpenRefusal(parent, watch.reason());
}

void reportOpenRefusal(const OperationOutcome& outcome, const OpenRefusalWatch& watch,
                       OperationSink& sink) {
    if (outcome.result != OperationResult::NoDevice) {
        return;
    }
    const QString reason = watch.reason();
    if (!reason.isEmpty()) {
        // The sink shows Latin-1; the reasons are plain ASCII.
        sink.setStatus(reason.toLatin1().toStdString());
    }
}

}  // namespace nuvrel
