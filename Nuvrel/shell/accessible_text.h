// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later
//
// What assistive technology (a screen reader, voice control) announces for a control. Without an
// accessible name of its own, Qt names a field after the frame around it, so ten fields of one
// frame all sound alike, and two buttons captioned "Write" cannot be told apart.
#pragma once

#include <QString>

class QLabel;
class QWidget;

namespace nuvrel {

// Gives control its own name and, when its caption does not say what it does, a description.
void setAccessibleText(QWidget* control, const QString& name,
                       const QString& description = QString());

// The name of a labelled field: the label without its colon, followed by context when the window
// shows the same label more than once ("File size, ROM in device").
QString fieldAccessibleName(const QString& label, const QString& context = QString());

// The label of a field: it is the field's buddy (a mnemonic in the text moves the focus there) and
// names the field as fieldAccessibleName does.
QLabel* makeFieldLabel(const QString& text, QWidget* field, QWidget* parent,
                       const QString& context = QString());

}  // namespace nuvrel
