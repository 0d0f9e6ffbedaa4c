// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/accessible_text.h"

#include <QLabel>
#include <QWidget>

namespace nuvrel {

void setAccessibleText(QWidget* control, const QString& name, const QString& description) {
    control->setAccessibleName(name);
    if (!description.isEmpty()) {
        control->setAccessibleDescription(description);
    }
}

QString fieldAccessibleName(const QString& label, const QString& context) {
    QString name = label.trimmed();
    name.remove(QLatin1Char('&'));
    if (name.endsWith(QLatin1Char(':'))) {
        name.chop(1);
    }
    return context.isEmpty() ? name : name + QStringLiteral(", ") + context;
}

QLabel* makeFieldLabel(const QString& text, QWidget* field, QWidget* parent,
                       const QString& context) {
    auto* label = new QLabel(text, parent);
    label->setBuddy(field);
    field->setAccessibleName(fieldAccessibleName(text, context));
    return label;
}

}  // namespace nuvrel
