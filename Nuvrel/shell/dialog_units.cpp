// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "shell/dialog_units.h"

#include <QFont>
#include <QFontMetrics>
#include <QString>

namespace nuvrel {

QSize dialogUnitsToPixels(const QFont& font, int horizontalUnits, int verticalUnits) {
    const QFontMetrics metrics(font);
    static const QString letters =
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    // Average width of the letters, rounded to the nearest pixel.
    const int averageWidth = (metrics.horizontalAdvance(letters) + 26) / 52;
    const int height = metrics.height();
    return {(horizontalUnits * averageWidth + 2) / 4, (verticalUnits * height + 4) / 8};
}

}  // namespace nuvrel
