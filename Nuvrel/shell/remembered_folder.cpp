// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "shell/remembered_folder.h"

#include <QDir>
#include <QFileInfo>

#include "shell/settings_store.h"
#include "shell/user_prompts.h"

namespace nuvrel {

namespace {

// The start folder for a dialog: the remembered one while it still exists, otherwise the
// caller's earlier text (empty lets the dialog pick its own default folder).
QString startFolder(const QString& valueName, const QString& earlier) {
    QString buffer = earlier;
    if (ReadSettingString(QString::fromLatin1(SettingsKey), valueName, buffer) &&
        !QFileInfo(buffer).isDir()) {
        return QString();
    }
    return buffer;
}

QString remember(const QString& valueName, const QString& chosen) {
    if (!chosen.isEmpty()) {
        const QString folder = QDir::toNativeSeparators(QFileInfo(chosen).absolutePath());
        WriteSettingString(QString::fromLatin1(SettingsKey), valueName, folder);
    }
    return chosen;
}

}  // namespace

QString chooseFileToOpen(QWidget* parent, const QString& valueName, const QString& filter,
                         const QString& defaultSuffix) {
    const QString start = startFolder(valueName, QString());
    return remember(valueName, userPrompts().openFile(parent, start, filter, defaultSuffix));
}

QString chooseFileToSave(QWidget* parent, const QString& valueName, const QString& filter,
                         const QString& suggestedName, const QString& defaultSuffix) {
    // The suggested name stays in the file-name box wherever the dialog starts.
    QString start = startFolder(valueName, QString());
    if (start.isEmpty()) {
        start = suggestedName;
    } else if (!suggestedName.isEmpty()) {
        start = QDir(start).filePath(suggestedName);
    }
    return remember(valueName, userPrompts().saveFile(parent, start, filter, defaultSuffix));
}

}  // namespace nuvrel
