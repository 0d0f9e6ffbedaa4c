// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The pieces the pages are built from, so that every page's buttons, fields and help texts look
// and are found (by object name) the same way.
#pragma once

#include <QString>
#include <functional>

class QCheckBox;
class QFormLayout;
class QGroupBox;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QMimeData;
class QPushButton;
class QVBoxLayout;
class QWidget;

namespace nuvrel {

QPushButton* makeButton(const QString& caption, const QString& objectName, QWidget* parent);
QCheckBox* makeCheckBox(const QString& caption, const QString& objectName, QWidget* parent);

// A field that shows a value and cannot be edited; takesFocus: whether Tab stops on it.
QLineEdit* makeInfoField(const QString& text, const QString& objectName, QWidget* parent,
                         bool takesFocus = true);

// A help text that wraps and sits at the top left of its space.
QLabel* makeHelpText(const QString& text, QWidget* parent);
// The icon and the help text at the top of an info area.
QHBoxLayout* makeHelpRow(const QString& icon, const QString& help, QWidget* parent);

// The form of labelled info fields inside an info area.
QFormLayout* makeInfoForm();

// An info area: a titled frame with the icon and help text at the top, a form of info fields
// and, at the bottom, a row that the page fills with its buttons.
struct InfoPanel {
    QGroupBox* group;
    QVBoxLayout*
        column;  // help row, form, stretch, buttons: a page may add a line above the buttons
    QFormLayout* form;
    QHBoxLayout* buttons;
    // What the panel's fields are about, added to their accessible names ("ROM in device").
    QString context;
};

InfoPanel makeInfoPanel(const QString& title, const QString& icon, const QString& help,
                        QWidget* parent, const QString& context = QString());
// A labelled info field added to the panel's form; the label is its buddy and names it.
QLineEdit* addInfoRow(const InfoPanel& panel, const QString& label, const QString& text,
                      const QString& objectName);

// Makes widget a drop target for one file: carried names the file a drag carries (empty when it
// carries none this widget takes), take receives the dropped file's path, and welcome, when set,
// says whether a drag is accepted at the moment.
void acceptFileDrops(QWidget* widget, std::function<QString(const QMimeData*)> carried,
                     std::function<void(const QString&)> take, std::function<bool()> welcome = {});

}  // namespace nuvrel
