// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "shell/file_names.h"

#include <QFile>

namespace nuvrel {

std::string toEnginePath(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

std::filesystem::path toFileSystemPath(const QString& path) {
    return std::filesystem::path(toEnginePath(path));
}

QString fromDeviceName(const std::string& name) {
    return QFile::decodeName(QByteArray(name.data(), static_cast<qsizetype>(name.size())));
}

QString suggestedFileName(const std::string& storedName) {
    const QString name = fromDeviceName(storedName);
    return name.trimmed().isEmpty() ? QString() : name;
}

}  // namespace nuvrel
