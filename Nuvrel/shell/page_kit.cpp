// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "shell/page_kit.h"

#include <QCheckBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <utility>

#include "shell/accessible_text.h"
#include "shell/group_icon.h"

namespace nuvrel {

namespace {

// Watches its widget's drag and drop events; a drag it does not take goes on to the widget.
class FileDropFilter final : public QObject {
  public:
    FileDropFilter(QWidget* widget, std::function<QString(const QMimeData*)> carried,
                   std::function<void(const QString&)> take, std::function<bool()> welcome)
        : QObject(widget),
          m_carried(std::move(carried)),
          m_take(std::move(take)),
          m_welcome(std::move(welcome)) {}

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::DragEnter) {
            auto* enter = static_cast<QDragEnterEvent*>(event);
            if ((!m_welcome || m_welcome()) && !m_carried(enter->mimeData()).isEmpty()) {
                enter->acceptProposedAction();
                return true;
            }
        } else if (event->type() == QEvent::Drop) {
            auto* drop = static_cast<QDropEvent*>(event);
            const QString path = m_carried(drop->mimeData());
            if (!path.isEmpty()) {
                drop->acceptProposedAction();
                m_take(path);
                return true;
            }
        }
        return QObject::eventFilter(watched, event);
    }

  private:
    std::function<QString(const QMimeData*)> m_carried;
    std::function<void(const QString&)> m_take;
    std::function<bool()> m_welcome;
};

}  // namespace

QPushButton* makeButton(const QString& caption, const QString& objectName, QWidget* parent) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(objectName);
    return button;
}

QCheckBox* makeCheckBox(const QString& caption, const QString& objectName, QWidget* parent) {
    auto* box = new QCheckBox(caption, parent);
    box->setObjectName(objectName);
    return box;
}

QLineEdit* makeInfoField(const QString& text, const QString& objectName, QWidget* parent,
                         bool takesFocus) {
    auto* field = new QLineEdit(text, parent);
    field->setObjectName(objectName);
    field->setReadOnly(true);
    if (!takesFocus) {
        field->setFocusPolicy(Qt::NoFocus);
    }
    return field;
}

QLabel* makeHelpText(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    return label;
}

QHBoxLayout* makeHelpRow(const QString& icon, const QString& help, QWidget* parent) {
    auto* row = new QHBoxLayout;
    row->addWidget(makeGroupIcon(icon, parent), 0, Qt::AlignTop);
    row->addWidget(makeHelpText(help, parent), 1);
    return row;
}

QFormLayout* makeInfoForm() {
    auto* form = new QFormLayout;
    form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    form->setVerticalSpacing(2);
    return form;
}

InfoPanel makeInfoPanel(const QString& title, const QString& icon, const QString& help,
                        QWidget* parent, const QString& context) {
    InfoPanel panel{};
    panel.context = context;
    panel.group = new QGroupBox(title, parent);
    panel.column = new QVBoxLayout(panel.group);
    panel.column->addLayout(makeHelpRow(icon, help, panel.group));
    panel.form = makeInfoForm();
    panel.column->addLayout(panel.form);
    panel.column->addStretch(1);
    panel.buttons = new QHBoxLayout;
    panel.column->addLayout(panel.buttons);
    return panel;
}

QLineEdit* addInfoRow(const InfoPanel& panel, const QString& label, const QString& text,
                      const QString& objectName) {
    QLineEdit* field = makeInfoField(text, objectName, panel.group);
    panel.form->addRow(makeFieldLabel(label, field, panel.group, panel.context), field);
    return field;
}

void acceptFileDrops(QWidget* widget, std::function<QString(const QMimeData*)> carried,
                     std::function<void(const QString&)> take, std::function<bool()> welcome) {
    widget->installEventFilter(
        new FileDropFilter(widget, std::move(carried), std::move(take), std::move(welcome)));
    widget->setAcceptDrops(true);
}

}  // namespace nuvrel
