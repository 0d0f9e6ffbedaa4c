// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The main sheet around the ROM pages: Enter on a page does not end the program, and the sheet
// keeps one size whichever page is in front.
#include <velk_series/velk_series.h>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QtTest>

#include "app/nuvrel_sheet.h"
#include "support/gui_test_main.h"
#include "support/recording_prompts.h"

using namespace nuvrel;
using nuvrel::testing::RecordingPrompts;

class RomSheetTest : public QObject {
    Q_OBJECT

  private slots:
    void cleanup() { SetVelkDeviceProcessed(0); }

    void enter_on_a_page_does_nothing_and_alt_x_still_exits() {
        CNuvrelSheet sheet;
        RecordingPrompts prompts;
        sheet.show();
        QVERIFY(QTest::qWaitForWindowExposed(&sheet));
        QVERIFY(!sheet.exitButton()->isDefault());

        const std::vector<std::pair<QWidget*, QWidget*>> targets{
            {&sheet.romPage(), sheet.romPage().diskFileName()},
            {&sheet.romPage(), sheet.romPage().outFileButton()},
            {&sheet.exRomPage(), sheet.exRomPage().fileSourceButton()},
            {&sheet.exRomPage(), sheet.exRomPage().field(CEXROMPage::CheckSum)}};
        for (const auto& [page, target] : targets) {
            sheet.tabs()->setCurrentWidget(page);
            target->setFocus();
            QTest::keyClick(target, Qt::Key_Return);
            QTest::keyClick(target, Qt::Key_Enter, Qt::KeypadModifier);
            QTest::keyClick(target, Qt::Key_Escape);
            QVERIFY2(sheet.isVisible(), qPrintable(target->objectName()));
        }
        // Nothing was pressed: no dialog, no message.
        QVERIFY(prompts.dialogs.empty());
        QVERIFY(prompts.messages.empty());

        QTest::keyClick(&sheet, Qt::Key_X, Qt::AltModifier);
        QTRY_VERIFY(!sheet.isVisible());
    }

    void the_sheet_keeps_one_size_whichever_page_is_in_front() {
        CNuvrelSheet sheet;
        sheet.show();
        QVERIFY(QTest::qWaitForWindowExposed(&sheet));
        QCOMPARE(sheet.minimumSize(), sheet.maximumSize());
        const QSize size = sheet.size();
        for (int i = 0; i < sheet.tabs()->count(); ++i) {
            sheet.tabs()->setCurrentIndex(i);
            QCoreApplication::processEvents();
            QCOMPARE(sheet.size(), size);
            // Every page fits: nothing is squeezed below what it needs.
            QWidget* page = sheet.tabs()->widget(i);
            QVERIFY2(page->height() >= page->minimumSizeHint().height(),
                     qPrintable(sheet.tabs()->tabText(i)));
        }
        sheet.hide();
    }
};

NUVREL_GUI_TEST(RomSheetTest)
#include "rom_sheet_test.moc"
