// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "shell/dialog_filter.h"

#include <QStringList>

namespace nuvrel {

QString dialogFilter(const QString& pairs) {
    const QStringList parts = pairs.split(QLatin1Char('|'));
    QStringList filters;
    // A trailing "|" leaves one empty part; a description without a pattern is dropped.
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns = parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts);
        for (QString& pattern : patterns) {
            // "*.*" means every file; taken literally it would hide names without a dot.
            if (pattern.trimmed() == QLatin1String("*.*")) {
                pattern = QStringLiteral("*");
            }
        }
        filters << QStringLiteral("%1 (%2)").arg(parts[i],
                                                 patterns.join(QLatin1Char(' ')).trimmed());
    }
    return filters.join(QStringLiteral(";;"));
}

}  // namespace nuvrel
