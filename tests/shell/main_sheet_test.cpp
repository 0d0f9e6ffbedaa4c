// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The main sheet: its tabs, its one button and the exit guard.
#include <velk_series/velk_series.h>
#include <QAbstractButton>
#include <QDir>
#include <QIcon>
#include <QImage>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabBar>
#include <QTabWidget>
#include <QtTest>

#include "app/nuvrel_sheet.h"
#include "shell/dialog_units.h"
#include "support/gui_test_main.h"
#include "support/recording_prompts.h"
#include "support/worker_gate.h"

using namespace nuvrel;
using nuvrel::testing::RecordingPrompts;

namespace {

// Counts the hooks the sheet runs.
class CountingPage : public CSheetPage {
  public:
    CountingPage() : CSheetPage(QStringLiteral("counting")) {}
    int inits = 0;
    int activations = 0;

  protected:
    void onInitPage() override { ++inits; }
    void onSetActive() override {
        QCOMPARE(inits, 1);
        ++activations;
    }
};

const QString kRefused = QStringLiteral("You can't exit from programm while device s processed!");

}  // namespace

class MainSheetTest : public QObject {
    Q_OBJECT

  private slots:
    void cleanup() { SetVelkDeviceProcessed(0); }

    void tabs_come_in_order_with_their_captions_and_the_first_selected() {
        CNuvrelSheet sheet;
        QCOMPARE(sheet.windowTitle(), QStringLiteral("Velk Series storage loader"));
        QTabWidget* tabs = sheet.tabs();
        QStringList captions;
        for (int i = 0; i < tabs->count(); ++i) {
            captions << tabs->tabText(i);
        }
        QCOMPARE(captions,
                 QStringList({"ROM memory", "RAM memory", "Extended ROM info", "Game ROM Patches",
                              "Velk Device Info", "Compatibility setup"}));
        QCOMPARE(tabs->currentIndex(), 0);
        QCOMPARE(tabs->widget(0), &sheet.romPage());
        QCOMPARE(tabs->widget(3), &sheet.ggCodesPage());
        QCOMPARE(tabs->widget(4), &sheet.devInfoPage());
        QCOMPARE(tabs->widget(5), &sheet.compatibilityPage());
    }

    void every_page_has_the_common_page_size() {
        CNuvrelSheet sheet;
        const QSize expected = dialogUnitsToPixels(sheet.font(), 303, 163);
        QVERIFY(expected.width() > 303 && expected.height() > 163);
        for (int i = 0; i < sheet.tabs()->count(); ++i) {
            QCOMPARE(sheet.tabs()->widget(i)->minimumSize(), expected);
        }
    }

    void the_only_button_outside_the_pages_is_exit_at_the_bottom_right() {
        CNuvrelSheet sheet;
        sheet.show();
        QVERIFY(QTest::qWaitForWindowExposed(&sheet));
        QList<QAbstractButton*> outside;
        for (QAbstractButton* button : sheet.findChildren<QAbstractButton*>()) {
            if (button->isVisible() && !sheet.tabs()->isAncestorOf(button)) {
                outside << button;
            }
        }
        QCOMPARE(outside.size(), 1);
        QCOMPARE(outside[0]->text(), QStringLiteral("E&xit"));
        QCOMPARE(outside[0], sheet.exitButton());
        const QRect exitRect(outside[0]->mapTo(&sheet, QPoint(0, 0)), outside[0]->size());
        QVERIFY(exitRect.right() > sheet.width() * 3 / 4);
        QVERIFY(exitRect.top() > sheet.tabs()->geometry().bottom());
        const Qt::WindowFlags flags = sheet.windowFlags();
        QCOMPARE(sheet.windowType(), Qt::Window);
        QVERIFY(flags.testFlag(Qt::WindowMinimizeButtonHint));
        QVERIFY(flags.testFlag(Qt::WindowCloseButtonHint));
        QVERIFY(!flags.testFlag(Qt::WindowMaximizeButtonHint));
        QVERIFY(!flags.testFlag(Qt::WindowContextHelpButtonHint));
        sheet.showMinimized();
        QTRY_VERIFY(sheet.isMinimized());
        sheet.showNormal();
        sheet.hide();
    }

    void closing_while_busy_shows_the_guard_and_keeps_the_sheet_open() {
        CNuvrelSheet sheet;
        RecordingPrompts prompts;
        sheet.show();
        QVERIFY(QTest::qWaitForWindowExposed(&sheet));
        SetVelkDeviceProcessed(1);

        QVERIFY(!sheet.close());
        QVERIFY(sheet.isVisible());
        sheet.exitButton()->click();
        QVERIFY(sheet.isVisible());

        QCOMPARE(prompts.texts(), QStringList({kRefused, kRefused}));
        for (const auto& message : prompts.messages) {
            QCOMPARE(message.caption, QStringLiteral("Nuvrel"));
            QCOMPARE(message.icon, PromptIcon::None);
            QCOMPARE(message.buttons, PromptButtons::Ok);
        }

        // After the operation the same request closes the sheet without a word.
        SetVelkDeviceProcessed(0);
        QVERIFY(sheet.close());
        QVERIFY(!sheet.isVisible());
        QCOMPARE(prompts.messages.size(), std::size_t{2});
    }

    void exit_while_idle_ends_the_modal_sheet() {
        CNuvrelSheet sheet;
        RecordingPrompts prompts;
        QTimer::singleShot(0, &sheet, [&sheet] { sheet.exitButton()->click(); });
        QCOMPARE(sheet.exec(), int(QDialog::Accepted));
        QVERIFY(prompts.messages.empty());
    }

    void a_live_worker_keeps_the_sheet_open_after_the_library_cleared_busy() {
        CNuvrelSheet sheet;
        RecordingPrompts prompts;
        sheet.show();
        QVERIFY(QTest::qWaitForWindowExposed(&sheet));
        nuvrel::testing::WorkerGate release;
        QVERIFY(sheet.runner().BeginDeviceOperation({}, [&release](OperationSink&) {
            SetVelkDeviceProcessed(0);
            release.wait();
        }));
        QTRY_COMPARE(IsVelkDeviceProcessed(), 0);
        QVERIFY(!sheet.close());
        QCOMPARE(prompts.texts(), QStringList{kRefused});
        release.open();
        sheet.runner().waitUntilIdle();
        QVERIFY(sheet.close());
    }

    void a_page_is_initialised_once_and_activated_every_time_it_comes_to_the_front() {
        CountingPage page;
        page.activate();
        page.activate();
        QCOMPARE(page.inits, 1);
        QCOMPARE(page.activations, 2);
    }

    void every_icon_of_the_program_renders() {
        QDir icons(QStringLiteral(":/icons"));
        const QStringList names = icons.entryList();
        QVERIFY(names.size() >= 7);
        for (const QString& name : names) {
            const QImage image = QIcon(icons.filePath(name)).pixmap(32, 32).toImage();
            QVERIFY2(!image.isNull(), qPrintable(name));
            int opaque = 0;
            for (int y = 0; y < image.height(); ++y) {
                for (int x = 0; x < image.width(); ++x) {
                    opaque += qAlpha(image.pixel(x, y)) > 0 ? 1 : 0;
                }
            }
            QVERIFY2(opaque > 100, qPrintable(name));
        }
    }

    void switching_tabs_runs_the_page_refresh() {
        CNuvrelSheet sheet;
        sheet.show();
        SetVelkDeviceProcessed(1);
        sheet.tabs()->setCurrentWidget(&sheet.devInfoPage());
        QCOMPARE(sheet.devInfoPage().field(CDevInfo::EraseCount)->text(),
                 QStringLiteral("Device is busy"));
        sheet.tabs()->setCurrentWidget(&sheet.compatibilityPage());
        QVERIFY(!sheet.compatibilityPage().setButton()->isEnabled());
        QVERIFY(sheet.compatibilityPage().refreshButton()->isEnabled());
        SetVelkDeviceProcessed(0);
        sheet.hide();
    }
};

NUVREL_GUI_TEST(MainSheetTest)
#include "main_sheet_test.moc"
