// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "app/nuvrel_sheet.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "shell/accessible_text.h"
#include "shell/device_busy.h"
#include "shell/device_chooser.h"
#include "shell/dialog_units.h"
#include "shell/user_prompts.h"

namespace nuvrel {

namespace {

// The tabs of a fixed-size sheet. Its size must fit every page, whichever is in front; with
// height-for-width (pages with wrapped texts) the tab widget would size itself by those pages
// alone, and the sheet would change height when another page comes to the front.
class SheetTabs final : public QTabWidget {
  public:
    using QTabWidget::QTabWidget;
    bool hasHeightForWidth() const override { return false; }
};

}  // namespace

CNuvrelSheet::CNuvrelSheet(QWidget* parent)
    : QDialog(parent),
      m_runner(),
      m_selectedImage(),
      m_patchList(),
      m_romPage(m_runner, m_selectedImage, m_patchList),
      m_ramPage(m_runner),
      m_exRomPage(m_selectedImage),
      m_devInfoPage(),
      m_compatibilityPage(),
      m_ggCodesPage(m_selectedImage, m_patchList) {
    setWindowTitle(QString::fromLatin1(kSheetTitle));
    // The program's only window: a normal top-level window, so that window managers that
    // never minimize dialogs still offer it; close and minimize, no maximize or help button.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setWindowIcon(QIcon(QStringLiteral(":/icons/nuvrel.svg")));

    m_deviceChooser = new DeviceChooser(this);
    m_tabs = new SheetTabs(this);
    m_tabs->setObjectName(QStringLiteral("pages"));
    // Every tab stays in view, as on a property sheet.
    m_tabs->setUsesScrollButtons(false);
    m_tabs->setElideMode(Qt::ElideNone);
    const QSize pageSize = dialogUnitsToPixels(font(), kPageWidthUnits, kPageHeightUnits);
    for (CSheetPage* page :
         {static_cast<CSheetPage*>(&m_romPage), static_cast<CSheetPage*>(&m_ramPage),
          static_cast<CSheetPage*>(&m_exRomPage), static_cast<CSheetPage*>(&m_ggCodesPage),
          static_cast<CSheetPage*>(&m_devInfoPage),
          static_cast<CSheetPage*>(&m_compatibilityPage)}) {
        page->setMinimumSize(pageSize);
        m_tabs->addTab(page, page->caption());
    }
    m_tabs->setCurrentIndex(0);
    connect(m_tabs, &QTabWidget::currentChanged, this, &CNuvrelSheet::onCurrentChanged);

    // A plain button rather than a button box, which would make it the default button again
    // each time the sheet is shown.
    auto* buttons = new QHBoxLayout;
    m_deviceNote = new QLabel(this);
    m_deviceNote->setObjectName(QStringLiteral("deviceNote"));
    // Its text is its accessible name, so each change is announced.
    buttons->addWidget(m_deviceNote, 1);
    connect(m_deviceChooser, &DeviceChooser::chosenChanged, this, &CNuvrelSheet::showDeviceNote);
    connect(&m_runner, &DeviceOperationRunner::operationStarted, this, [this] {
        m_deviceChooser->setEnabled(false);
        m_deviceNote->setText(
            QStringLiteral("Operation running on %1").arg(m_deviceChooser->chosenName()));
    });
    connect(&m_runner, &DeviceOperationRunner::operationEnded, this, [this] {
        m_deviceChooser->setEnabled(true);
        showDeviceNote();
    });
    showDeviceNote();
    m_exitButton = new QPushButton(QStringLiteral("E&xit"), this);
    m_exitButton->setObjectName(QStringLiteral("exitButton"));
    setAccessibleText(m_exitButton, QStringLiteral("Exit"), QStringLiteral("Ends the program"));
    buttons->addWidget(m_exitButton);
    connect(m_exitButton, &QPushButton::clicked, this, &QDialog::accept);
    // Enter in a field must not end the program (the patch list lives only in memory): the
    // sheet has no default button, and no button becomes one by taking the focus. "E&xit" is
    // reached with Alt+X or a click.
    for (QPushButton* button : findChildren<QPushButton*>()) {
        button->setAutoDefault(false);
        button->setDefault(false);
    }

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_deviceChooser);
    layout->addWidget(m_tabs);
    layout->addLayout(buttons);
    // As large as the pages need and no larger, like a property sheet.
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

CNuvrelSheet::~CNuvrelSheet() {
    // Pages are members; a worker still updating one must end before they go. The tab widget
    // must not delete them either, so take them back first.
    m_runner.waitUntilIdle();
    while (m_tabs->count() > 0) {
        QWidget* page = m_tabs->widget(0);
        m_tabs->removeTab(0);
        page->setParent(nullptr);
    }
}

void CNuvrelSheet::done(int result) {
    if (deviceInUse()) {
        showMessage(this, QString::fromLatin1(kExitRefusedText), PromptIcon::None);
        return;
    }
    QDialog::done(result);
}

void CNuvrelSheet::keyPressEvent(QKeyEvent* event) {
    // Enter and Escape on a page do nothing: QDialog would press a default button or end the
    // dialog, and one stray key would lose the patch list that lives only in memory. The close
    // box, Alt+F4 and "E&xit" (Alt+X) end the program.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter ||
        event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void CNuvrelSheet::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!m_shownOnce) {
        m_shownOnce = true;
        onCurrentChanged(m_tabs->currentIndex());
    }
}

void CNuvrelSheet::showDeviceNote() {
    const QString name = m_deviceChooser->chosenName();
    m_deviceNote->setText(name.isEmpty() ? QString()
                                         : QStringLiteral("Operations use %1").arg(name));
}

void CNuvrelSheet::onCurrentChanged(int index) {
    // A device plugged in or out since shows before the page asks it anything.
    m_deviceChooser->followPlugging();
    if (auto* page = qobject_cast<CSheetPage*>(m_tabs->widget(index))) {
        page->activate();
    }
}

}  // namespace nuvrel
