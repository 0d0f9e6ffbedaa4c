#include "shell/dialog_filter.h"

#include <QStringList>

namespace nuvrel {

QString dialogFilter(const QString& pairs) {
    const QStringList parts = pairs.split(QLatin1Char('|'));
    QStringList filters;
    // A trailing "|" leaves one empty part; a description without a pattern is dropped.
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts[i + 1];
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        filters << QStringLiteral("%1 (%2)").arg(parts[i], patterns.trimmed());
    }
    return filters.join(QStringLiteral(";;"));
}

}  // namespace nuvrel
