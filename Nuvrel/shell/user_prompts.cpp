// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "shell/user_prompts.h"

#include <QAbstractButton>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

namespace nuvrel {

namespace {

QMessageBox::Icon toQtIcon(PromptIcon icon) {
    switch (icon) {
        case PromptIcon::Information:
            return QMessageBox::Information;
        case PromptIcon::Warning:
            return QMessageBox::Warning;
        case PromptIcon::Error:
            return QMessageBox::Critical;
        case PromptIcon::Question:
            return QMessageBox::Question;
        case PromptIcon::None:
            break;
    }
    return QMessageBox::NoIcon;
}

class QtUserPrompts final : public UserPrompts {
  public:
    PromptAnswer message(QWidget* parent, const QString& caption, const QString& text,
                         PromptIcon icon, PromptButtons buttons) override {
        const auto qtButtons = buttons == PromptButtons::OkCancel
                                   ? QMessageBox::Ok | QMessageBox::Cancel
                                   : QMessageBox::StandardButtons(QMessageBox::Ok);
        QMessageBox box(toQtIcon(icon), caption, text, qtButtons, parent);
        box.setDefaultButton(QMessageBox::Ok);
        return box.exec() == QMessageBox::Ok ? PromptAnswer::Ok : PromptAnswer::Cancel;
    }

    QString openFile(QWidget* parent, const QString& startFolder, const QString& filter,
                     const QString& defaultSuffix) override {
        return run(parent, startFolder, filter, defaultSuffix, QFileDialog::AcceptOpen,
                   QFileDialog::ExistingFile);
    }

    QString saveFile(QWidget* parent, const QString& startPath, const QString& filter,
                     const QString& defaultSuffix) override {
        return run(parent, startPath, filter, defaultSuffix, QFileDialog::AcceptSave,
                   QFileDialog::AnyFile);
    }

    int choose(QWidget* parent, const QString& caption, const QString& text,
               const QStringList& choices) override {
        QMessageBox box(QMessageBox::Question, caption, text, QMessageBox::Cancel, parent);
        QList<const QAbstractButton*> buttons;
        for (const QString& choice : choices) {
            buttons.append(box.addButton(choice, QMessageBox::AcceptRole));
        }
        box.setDefaultButton(QMessageBox::Cancel);
        box.exec();
        return static_cast<int>(buttons.indexOf(box.clickedButton()));
    }

  private:
    static QString run(QWidget* parent, const QString& start, const QString& filter,
                       const QString& defaultSuffix, QFileDialog::AcceptMode acceptMode,
                       QFileDialog::FileMode fileMode) {
        QFileDialog dialog(parent, QString(), start, filter);
        dialog.setAcceptMode(acceptMode);
        dialog.setFileMode(fileMode);
        dialog.setDefaultSuffix(defaultSuffix);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
            return QString();
        }
        return dialog.selectedFiles().constFirst();
    }
};

UserPrompts* installedPrompts = nullptr;

}  // namespace

UserPrompts& userPrompts() {
    static QtUserPrompts qtPrompts;
    return installedPrompts != nullptr ? *installedPrompts : qtPrompts;
}

void setUserPrompts(UserPrompts* prompts) {
    installedPrompts = prompts;
}

PromptAnswer showMessage(QWidget* parent, const QString& text, PromptIcon icon,
                         PromptButtons buttons) {
    return userPrompts().message(parent, QString::fromLatin1(kMessageCaption), text, icon, buttons);
}

int askChoice(QWidget* parent, const QString& text, const QStringList& choices) {
    return userPrompts().choose(parent, QString::fromLatin1(kMessageCaption), text, choices);
}

}  // namespace nuvrel
