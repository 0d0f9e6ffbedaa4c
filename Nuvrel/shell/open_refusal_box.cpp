#include "shell/open_refusal_box.h"

#include "shell/user_prompts.h"

namespace nuvrel {

void showOpenRefusal(QWidget* parent, const OpenRefusalWatch& watch) {
    const QString reason = watch.reason();
    if (!reason.isEmpty()) {
        showMessage(parent, reason, PromptIcon::Information);
    }
}

}  // namespace nuvrel
