#include "shell/user_prompts.h"

#include <QFileDialog>
#include <QMessageBox>

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
        QFileDialog dialog(parent, QString(), startFolder, filter);
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
        return run(dialog, defaultSuffix);
    }

    QString saveFile(QWidget* parent, const QString& startPath, const QString& filter,
                     const QString& defaultSuffix) override {
        QFileDialog dialog(parent, QString(), startPath, filter);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        return run(dialog, defaultSuffix);
    }

  private:
    static QString run(QFileDialog& dialog, const QString& defaultSuffix) {
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

}  // namespace nuvrel
