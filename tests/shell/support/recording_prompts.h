// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// UserPrompts that record what the user would have seen and answer from a script.
#pragma once

#include <QString>
#include <QStringList>
#include <deque>
#include <functional>
#include <vector>

#include "shell/user_prompts.h"

namespace nuvrel::testing {

struct RecordedMessage {
    QString caption;
    QString text;
    PromptIcon icon = PromptIcon::None;
    PromptButtons buttons = PromptButtons::Ok;
    bool onUiThread = false;
};

struct RecordedDialog {
    bool save = false;
    QString start;
    QString filter;
    QString defaultSuffix;
};

class RecordingPrompts final : public UserPrompts {
  public:
    RecordingPrompts();
    ~RecordingPrompts() override;

    PromptAnswer message(QWidget* parent, const QString& caption, const QString& text,
                         PromptIcon icon, PromptButtons buttons) override;
    QString openFile(QWidget* parent, const QString& startFolder, const QString& filter,
                     const QString& defaultSuffix) override;
    QString saveFile(QWidget* parent, const QString& startPath, const QString& filter,
                     const QString& defaultSuffix) override;
    int choose(QWidget* parent, const QString& caption, const QString& text,
               const QStringList& choices) override;

    // Answers for the next dialogs, in order; an empty path cancels. With none queued, dialogs
    // are cancelled and message boxes answered OK.
    std::deque<QString> paths;
    std::deque<PromptAnswer> answers;
    // Indexes picked by the next choices; with none queued, a choice is cancelled (-1).
    std::deque<int> picks;
    // Runs while a message box is "open", as a user's clicks elsewhere would.
    std::function<void(const RecordedMessage&)> whileShown;

    std::vector<RecordedMessage> messages;
    std::vector<RecordedDialog> dialogs;
    std::vector<QStringList> choicesOffered;

    QStringList texts() const;
};

}  // namespace nuvrel::testing
