// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "shell/settings_store.h"

#include <QSettings>
#include <QStringList>
#include <QVariant>
#include <memory>

namespace nuvrel {

namespace {

// "Software\Organisation\Group..." on Windows is a registry path; elsewhere the organisation
// names the settings file and the rest is the group inside it.
std::unique_ptr<QSettings> openKey(const QString& key, QString& group) {
#if defined(Q_OS_WIN)
    group.clear();
    return std::make_unique<QSettings>(QStringLiteral("HKEY_CURRENT_USER\\") + key,
                                       QSettings::NativeFormat);
#else
    QStringList parts = key.split(QLatin1Char('\\'), Qt::SkipEmptyParts);
    if (!parts.isEmpty() &&
        parts.front().compare(QLatin1String("Software"), Qt::CaseInsensitive) == 0) {
        parts.pop_front();
    }
    const QString organisation = parts.isEmpty() ? QStringLiteral("Nuvrel") : parts.takeFirst();
    group = parts.join(QLatin1Char('/'));
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, organisation,
                                       QString());
#endif
}

}  // namespace

bool ReadSettingString(const QString& key, const QString& valueName, QString& buffer) {
    QString group;
    auto settings = openKey(key, group);
    if (!group.isEmpty()) {
        settings->beginGroup(group);
    }
    const QVariant value = settings->value(valueName);
    if (!value.isValid() || value.typeId() != QMetaType::QString) {
        return false;
    }
    buffer = value.toString();
    return true;
}

bool WriteSettingString(const QString& key, const QString& valueName, const QString& text) {
    QString group;
    auto settings = openKey(key, group);
    if (!group.isEmpty()) {
        settings->beginGroup(group);
    }
    settings->setValue(valueName, text);
    settings->sync();
    return settings->status() == QSettings::NoError;
}

}  // namespace nuvrel
