#include "shell/library_messages.h"

#include <velk_series/velk_series.h>
#include <QApplication>
#include <QString>
#include <mutex>

#include "shell/ui_thread.h"
#include "shell/user_prompts.h"

namespace nuvrel {

namespace {

// The last open refusal and how many there were, shared by the library's threads and the pages.
struct OpenRefusals {
    std::mutex mutex;
    std::uint64_t count = 0;
    QString latest;
};

OpenRefusals& openRefusals() {
    static OpenRefusals refusals;
    return refusals;
}

void recordOpenRefusal(const QString& reason) {
    OpenRefusals& refusals = openRefusals();
    const std::lock_guard<std::mutex> lock(refusals.mutex);
    ++refusals.count;
    refusals.latest = reason;
}

// The library's other messages are errors; they get the error icon whatever the library asks.
void VELK_CALL onLibraryMessage(void* context, const char* caption, const char* text, int icon) {
    if (icon == VELK_ICON_REFUSAL) {
        recordOpenRefusal(QString::fromUtf8(text != nullptr ? text : ""));
        return;
    }
    QString title = QString::fromLatin1(caption != nullptr ? caption : "");
    if (title.isEmpty()) {
        title = QString::fromLatin1(kMessageCaption);
    }
    const QString message = QString::fromLatin1(text != nullptr ? text : "");
    // The worker waits until the user has answered, as it would for a native message box.
    runOnObjectThread(static_cast<QObject*>(context), [&] {
        userPrompts().message(QApplication::activeWindow(), title, message, PromptIcon::Error,
                              PromptButtons::Ok);
    });
}

}  // namespace

void installLibraryMessageHandler(QObject* uiContext) {
    SetVelkMessageHandler(&onLibraryMessage, uiContext);
}

void removeLibraryMessageHandler() {
    SetVelkMessageHandler(nullptr, nullptr);
}

OpenRefusalWatch::OpenRefusalWatch() {
    OpenRefusals& refusals = openRefusals();
    const std::lock_guard<std::mutex> lock(refusals.mutex);
    m_start = refusals.count;
}

QString OpenRefusalWatch::reason() const {
    OpenRefusals& refusals = openRefusals();
    const std::lock_guard<std::mutex> lock(refusals.mutex);
    return refusals.count != m_start ? refusals.latest : QString();
}

}  // namespace nuvrel
