// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "shell/sheet_page.h"

#include <QLineEdit>

namespace nuvrel {

CSheetPage::CSheetPage(const QString& caption, QWidget* parent)
    : QWidget(parent), m_caption(caption) {}

void CSheetPage::activate() {
    if (!m_initialised) {
        m_initialised = true;
        // Read-only fields stay out of the tab chain: when a focused button is disabled, Qt hands
        // focus to the next control in that chain, and a field would take it with its text
        // selected. A click still focuses a field, so its text can be selected and copied.
        for (QLineEdit* field : findChildren<QLineEdit*>()) {
            if (field->isReadOnly()) {
                field->setFocusPolicy(Qt::ClickFocus);
            }
        }
        onInitPage();
    }
    onSetActive();
}

}  // namespace nuvrel
