// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "shell/group_icon.h"

#include <QIcon>
#include <QLabel>

namespace nuvrel {

QLabel* makeGroupIcon(const QString& name, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setObjectName(name + QStringLiteral("Icon"));
    const QIcon icon(QStringLiteral(":/icons/%1.svg").arg(name));
    label->setPixmap(icon.pixmap(32, 32));
    label->setFixedSize(32, 32);
    label->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    return label;
}

}  // namespace nuvrel
