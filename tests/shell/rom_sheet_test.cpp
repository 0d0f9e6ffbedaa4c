// The main sheet around the ROM pages: Enter on a page does not end the program, the sheet keeps
// one size whichever page is in front, and an image chosen with "Browse" on the "Extended ROM
// info" page is the "ROM memory" page's selection.
#include <velk_series/velk_series.h>
#include <velk_sim/sim_harness.h>
#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QtTest>

#include "shell/app/nuvrel_sheet.h"
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

    void an_image_chosen_with_browse_is_the_rom_page_selection() {
        velksim::DeviceConfig config;
        config.erasePolls = 0;
        velksim::SimServer sim(config);
        QVERIFY(sim.start());
        QTemporaryDir folder;
        const QString path = folder.filePath(QStringLiteral("browsed.bin"));
        {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            QByteArray image(0x8000, 'x');
            image.replace(0x120, 6, "BROWSE");
            file.write(image);
        }
        CNuvrelSheet sheet;
        RecordingPrompts prompts;
        sheet.show();
        QVERIFY(QTest::qWaitForWindowExposed(&sheet));
        sheet.tabs()->setCurrentWidget(&sheet.exRomPage());
        prompts.paths = {path};
        sheet.exRomPage().browseButton()->click();

        sheet.tabs()->setCurrentWidget(&sheet.romPage());
        CROMPage& rom = sheet.romPage();
        QCOMPARE(rom.diskFileName()->text(), QStringLiteral("browsed.bin"));
        QCOMPARE(rom.diskFileSize()->text(), QStringLiteral("1MBit"));
        QVERIFY(rom.diskDomesticName()->text().startsWith(QStringLiteral("BROWSE")));
        QVERIFY(rom.writeButton()->isEnabled());
        QCOMPARE(sheet.selectedImage().path(), path);

        // And the write programs it.
        rom.writeButton()->click();
        sheet.runner().waitUntilIdle();
        QCOMPARE(rom.statusLine()->text(), QStringLiteral("Write Complite"));
        QCOMPARE(sim.fileName(0), std::string("browsed.bin"));
        sheet.hide();
    }
};

NUVREL_GUI_TEST_MAIN(RomSheetTest)
#include "rom_sheet_test.moc"
