// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "shell/library_messages.h"

#include <velk_series/velk_series.h>
#include <QApplication>
#include <QString>

#include "engine/open_refusal.h"
#include "shell/ui_thread.h"
#include "shell/user_prompts.h"

namespace nuvrel {

namespace {

// The library's other messages are errors; they get the error icon whatever the library asks.
void VELK_CALL onLibraryMessage(void* context, const char* caption, const char* text, int icon) {
    if (noteIfOpenRefusal(icon, text)) {
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

}  // namespace nuvrel
