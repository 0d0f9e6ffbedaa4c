// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Every message box and file dialog of the program goes through UserPrompts, so widget tests can
// answer them and see exactly what the user would have been shown.
#pragma once

#include <QString>
#include <QStringList>

class QWidget;

namespace nuvrel {

enum class PromptIcon { None, Information, Warning, Error, Question };
enum class PromptButtons { Ok, OkCancel };
enum class PromptAnswer { Ok, Cancel };

class UserPrompts {
  public:
    virtual ~UserPrompts() = default;

    virtual PromptAnswer message(QWidget* parent, const QString& caption, const QString& text,
                                 PromptIcon icon, PromptButtons buttons) = 0;
    // Both return the chosen path, or an empty string when the user cancelled. defaultSuffix
    // (without the dot, may be empty) is added to a typed name that has no extension, before a
    // save dialog asks about replacing an existing file.
    virtual QString openFile(QWidget* parent, const QString& startFolder, const QString& filter,
                             const QString& defaultSuffix) = 0;
    virtual QString saveFile(QWidget* parent, const QString& startPath, const QString& filter,
                             const QString& defaultSuffix) = 0;
    // A question answered by picking one of `choices` (one button each, plus Cancel): the index
    // picked, or -1 when the user cancelled. Prompts that were not written to answer it cancel.
    virtual int choose(QWidget* /*parent*/, const QString& /*caption*/, const QString& /*text*/,
                       const QStringList& /*choices*/) {
        return -1;
    }
};

// The prompts in use: the Qt dialogs unless a test installed its own.
UserPrompts& userPrompts();
// Installs replacement prompts (not owned); null restores the Qt dialogs.
void setUserPrompts(UserPrompts* prompts);

// The program's caption for every message box.
inline constexpr const char* kMessageCaption = "Nuvrel";

// A message box with the program's caption.
PromptAnswer showMessage(QWidget* parent, const QString& text, PromptIcon icon,
                         PromptButtons buttons = PromptButtons::Ok);

// A choice between answers with the program's caption: the index picked, or -1.
int askChoice(QWidget* parent, const QString& text, const QStringList& choices);

}  // namespace nuvrel
