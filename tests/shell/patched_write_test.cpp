// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// A write from the "ROM memory" page applies the checked rows of the "Game ROM Patches" page to
// the image in memory: the device gets the patched words, the file on disk stays as it was, and
// unchecked rows change nothing. Through the real sheet, which owns the list both pages use.
#include <velk_series/velk_series.h>
#include <velk_sim/sim_harness.h>
#include <QCheckBox>
#include <QFile>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>

#include "app/nuvrel_sheet.h"
#include "support/gui_test_main.h"
#include "support/recording_prompts.h"

using namespace nuvrel;
using nuvrel::testing::RecordingPrompts;

class PatchedWriteTest : public QObject {
    Q_OBJECT

  private slots:
    void cleanup() { SetVelkDeviceProcessed(0); }

    void checked_rows_reach_the_device_and_the_file_stays_unchanged() {
        velksim::DeviceConfig config;
        config.erasePolls = 0;
        velksim::SimServer sim(config);
        QVERIFY(sim.start());
        QTemporaryDir folder;
        QByteArray image(0x4000, '\0');
        for (int i = 0; i < image.size(); ++i) {
            image[i] = static_cast<char>(i * 5 + 1);
        }
        const QString imagePath = folder.filePath(QStringLiteral("game.bin"));
        const QString listPath = folder.filePath(QStringLiteral("codes.txt"));
        QFile imageFile(imagePath);
        QVERIFY(imageFile.open(QIODevice::WriteOnly) && imageFile.write(image) == image.size());
        imageFile.close();
        QFile listFile(listPath);
        QVERIFY(listFile.open(QIODevice::WriteOnly));
        listFile.write("000200:4E71\r\n001001:ABCD\r\n");
        listFile.close();

        CNuvrelSheet sheet;
        RecordingPrompts prompts;
        sheet.show();
        QVERIFY(QTest::qWaitForWindowExposed(&sheet));
        prompts.paths = {imagePath, listPath};
        sheet.romPage().inFileButton()->click();
        QVERIFY(sheet.romPage().writeButton()->isEnabled());

        // The patch page, once shown, loads the list; the second row is checked, the first not.
        sheet.tabs()->setCurrentWidget(&sheet.ggCodesPage());
        sheet.ggCodesPage().load();
        QTableWidget* list = sheet.ggCodesPage().list();
        QCOMPARE(list->rowCount(), 2);
        list->item(1, 0)->setCheckState(Qt::Checked);

        sheet.tabs()->setCurrentWidget(&sheet.romPage());
        sheet.romPage().verifyBox()->setChecked(true);
        sheet.romPage().writeButton()->click();
        sheet.runner().waitUntilIdle();
        QCOMPARE(sheet.romPage().statusLine()->text(), QStringLiteral("Write Complite"));

        QByteArray expected = image;
        expected[0x1001] = static_cast<char>(0xAB);
        expected[0x1002] = static_cast<char>(0xCD);
        const auto held = sim.romBytes(0, static_cast<std::size_t>(image.size()));
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(held.data()),
                            static_cast<qsizetype>(held.size())),
                 expected);
        QFile reread(imagePath);
        QVERIFY(reread.open(QIODevice::ReadOnly));
        QCOMPARE(reread.readAll(), image);
        sheet.hide();
    }
};

NUVREL_GUI_TEST(PatchedWriteTest)
#include "patched_write_test.moc"
