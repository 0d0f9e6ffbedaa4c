// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "recording_prompts.h"

#include <QCoreApplication>
#include <QThread>

namespace nuvrel::testing {

RecordingPrompts::RecordingPrompts() {
    setUserPrompts(this);
}

RecordingPrompts::~RecordingPrompts() {
    setUserPrompts(nullptr);
}

PromptAnswer RecordingPrompts::message(QWidget*, const QString& caption, const QString& text,
                                       PromptIcon icon, PromptButtons buttons) {
    const bool onUi = QThread::currentThread() == QCoreApplication::instance()->thread();
    messages.push_back({caption, text, icon, buttons, onUi});
    if (whileShown) {
        whileShown(messages.back());
    }
    if (answers.empty()) {
        return PromptAnswer::Ok;
    }
    const PromptAnswer answer = answers.front();
    answers.pop_front();
    return answer;
}

QString RecordingPrompts::openFile(QWidget*, const QString& startFolder, const QString& filter,
                                   const QString& defaultSuffix) {
    dialogs.push_back({false, startFolder, filter, defaultSuffix});
    if (paths.empty()) {
        return QString();
    }
    const QString path = paths.front();
    paths.pop_front();
    return path;
}

QString RecordingPrompts::saveFile(QWidget*, const QString& startPath, const QString& filter,
                                   const QString& defaultSuffix) {
    dialogs.push_back({true, startPath, filter, defaultSuffix});
    if (paths.empty()) {
        return QString();
    }
    const QString path = paths.front();
    paths.pop_front();
    return path;
}

int RecordingPrompts::choose(QWidget*, const QString&, const QString&, const QStringList& choices) {
    choicesOffered.push_back(choices);
    if (picks.empty()) {
        return -1;
    }
    const int pick = picks.front();
    picks.pop_front();
    return pick;
}

QStringList RecordingPrompts::texts() const {
    QStringList result;
    for (const auto& message : messages) {
        result << message.text;
    }
    return result;
}

}  // namespace nuvrel::testing
