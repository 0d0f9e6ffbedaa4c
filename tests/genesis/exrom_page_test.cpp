// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The "Extended ROM info" page against a virtual device: the header of the selected image and of
// the ROM in the device, the busy and failure texts, "Browse" and a dropped file.
#include <velk_series/velk_series.h>
#include <velk_sim/sim_harness.h>
#include <QCheckBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QtTest>

#include "rom_pages_fixture.h"
#include "shell/settings_store.h"
#include "support/gui_test_main.h"
#include "support/recording_prompts.h"

using namespace nuvrel;
using nuvrel::testing::RecordingPrompts;
using romtest::Pages;

namespace {

QStringList allFields(const CEXROMPage& page) {
    QStringList texts;
    for (int i = 0; i < CEXROMPage::FieldCount; ++i) {
        texts << page.field(static_cast<CEXROMPage::Field>(i))->text();
    }
    return texts;
}

QStringList repeated(const QString& text) {
    QStringList texts;
    for (int i = 0; i < CEXROMPage::FieldCount; ++i) {
        texts << text;
    }
    return texts;
}

// The eight header fields of romtest::genesisImage(size, name).
QStringList headerOf(int size, const QString& name) {
    return {QStringLiteral("SEGA MEGA DRIVE "),
            QStringLiteral("(C)NUVR 2026.DEC"),
            name.leftJustified(48, QLatin1Char(' ')),
            (QStringLiteral("OVERSEAS ") + name).leftJustified(48, QLatin1Char(' ')),
            QStringLiteral("GM 00000000-00"),
            QStringLiteral("0x1234"),
            QStringLiteral("0x000000(0)::0x%1(%2)")
                .arg(size - 1, 6, 16, QLatin1Char('0'))
                .arg(size - 1),
            QStringLiteral("0x200001(2097153)::0x20ffff(2162687)")};
}

}  // namespace

class ExRomPageTest : public QObject {
    Q_OBJECT

  private slots:
    void init() { romtest::beginPageTest(m_folder); }
    void cleanup() { SetVelkDeviceProcessed(0); }

    void the_page_opens_on_the_file_source_with_no_information() {
        Pages pages;
        CEXROMPage& page = pages.header;
        QCOMPARE(page.caption(), QStringLiteral("Extended ROM info"));
        QVERIFY(!page.fileSourceButton()->isChecked());
        QVERIFY(!page.browseButton()->isEnabled());
        page.activate();
        QVERIFY(page.fileSourceButton()->isChecked());
        QVERIFY(!page.deviceSourceButton()->isChecked());
        QVERIFY(page.browseButton()->isEnabled());
        QVERIFY(page.refreshButton()->isEnabled());
        // Nothing selected yet.
        QCOMPARE(allFields(page), repeated(QStringLiteral("No information/or file busy")));
    }

    void captions_are_blue_and_values_keep_the_default_colour() {
        Pages pages;
        CEXROMPage& page = pages.header;
        const QColor blue(0, 70, 213);
        QStringList captions;
        for (QLabel* label : page.findChildren<QLabel*>()) {
            if (label->pixmap().isNull()) {
                captions << label->text();
                QCOMPARE(label->palette().color(label->foregroundRole()), blue);
            }
        }
        for (const char* text :
             {"File name:", "File size:", "SEGA system name and TITLE:",
              "Copyright notice and year/month of release:", "Domestic Game Name:",
              "Overseas Game Name:", "Cartridge Type:", "Check Sum:",
              "ROM capacity Start Address, End Addres:", "SRAM capacity Start Address, End Addres:",
              "Push refresh button to update info."}) {
            QVERIFY2(captions.contains(QString::fromLatin1(text)), text);
        }
        QStringList groups;
        for (QGroupBox* group : page.findChildren<QGroupBox*>()) {
            groups << group->title();
            QCOMPARE(group->palette().color(QPalette::WindowText), blue);
        }
        groups.sort();
        QCOMPARE(groups, QStringList({"ROM Position:", "Rom information:"}));
        QCOMPARE(page.deviceSourceButton()->text(),
                 QStringLiteral("Select From Velk series device"));
        QCOMPARE(page.fileSourceButton()->text(), QStringLiteral("Select From file"));
        for (QRadioButton* radio : {page.deviceSourceButton(), page.fileSourceButton()}) {
            QCOMPARE(radio->palette().color(radio->foregroundRole()), blue);
        }
        int icons = 0;
        for (QLabel* label : page.findChildren<QLabel*>()) {
            icons += label->pixmap().isNull() ? 0 : 1;
        }
        QCOMPARE(icons, 2);
        const QColor text = QApplication::palette().color(QPalette::Text);
        for (int i = 0; i < CEXROMPage::FieldCount; ++i) {
            QLineEdit* field = page.field(static_cast<CEXROMPage::Field>(i));
            QCOMPARE(field->palette().color(field->foregroundRole()), text);
        }
    }

    void browse_shows_the_header_of_the_chosen_image() {
        velksim::SimServer sim(romtest::quickDevice());
        QVERIFY(sim.start());
        Pages pages;
        RecordingPrompts prompts;
        const QString path = m_folder.image("game.bin", romtest::genesisImage(300 * 1024));
        prompts.paths = {path};
        pages.header.activate();
        pages.header.browseButton()->click();

        QStringList expected{QDir::toNativeSeparators(path), QStringLiteral("0x0004B000, 3MBit")};
        expected << headerOf(300 * 1024, QStringLiteral("NUVREL TEST CART"));
        QCOMPARE(allFields(pages.header), expected);
        QVERIFY(prompts.dialogs[0].filter.contains(QStringLiteral("*.gen *.bin")));
        // The choice is the ROM page's too; its check boxes are left as they were.
        QCOMPARE(pages.rom.diskFileName()->text(), QStringLiteral("game.bin"));
        QCOMPARE(pages.rom.diskFileSize()->text(), QStringLiteral("3MBit"));
        QCOMPARE(pages.rom.diskDomesticName()->text(), QStringLiteral("NUVREL TEST CART"));
        QVERIFY(pages.rom.writeButton()->isEnabled());
        QVERIFY(!pages.rom.verifyBox()->isEnabled());
        QCOMPARE(pages.image.deviceCapacity(), 0x400001u);
        // One remembered folder for both pages' open dialogs.
        pages.rom.inFileButton()->click();
        QCOMPARE(prompts.dialogs.back().start, QDir::toNativeSeparators(m_folder.path()));

        // Activating the page again reads the header again.
        romtest::writeFile(path, romtest::genesisImage(300 * 1024, "CHANGED ON DISK"));
        pages.header.activate();
        QCOMPARE(pages.header.field(CEXROMPage::DomesticName)->text(),
                 QStringLiteral("CHANGED ON DISK").leftJustified(48, QLatin1Char(' ')));
    }

    void browse_with_an_unreadable_image_disables_write() {
        velksim::SimServer sim(romtest::quickDevice());
        QVERIFY(sim.start());
        Pages pages;
        RecordingPrompts prompts;
        prompts.paths = {m_folder.image("game.bin", romtest::genesisImage(0x8000)),
                         m_folder.filePath(QStringLiteral("missing.bin"))};
        pages.header.activate();
        pages.header.browseButton()->click();
        QVERIFY(pages.rom.writeButton()->isEnabled());
        pages.header.browseButton()->click();
        QCOMPARE(allFields(pages.header), repeated(QStringLiteral("No information")));
        QVERIFY(!pages.rom.writeButton()->isEnabled());
        QCOMPARE(pages.rom.diskFileName()->text(), QString());
        // A refresh says why the selected file shows nothing.
        pages.header.refreshButton()->click();
        QCOMPARE(allFields(pages.header), repeated(QStringLiteral("No information/or file busy")));
    }

    void browse_without_a_device_shows_the_image_selected_before() {
        Pages pages;
        RecordingPrompts prompts;
        const QString path = m_folder.image("before.bin", romtest::genesisImage(0x8000));
        {
            velksim::SimServer sim(romtest::quickDevice());
            QVERIFY(sim.start());
            prompts.paths = {path};
            pages.header.activate();
            pages.header.browseButton()->click();
        }
        pages.header.field(CEXROMPage::CheckSum)->clear();
        prompts.paths = {m_folder.image("after.bin", romtest::genesisImage(0x8000))};
        pages.header.browseButton()->click();
        QCOMPARE(prompts.texts(), QStringList{QStringLiteral("Device Not Detected!")});
        QCOMPARE(prompts.dialogs.size(), std::size_t{1});
        QCOMPARE(pages.header.field(CEXROMPage::FileName)->text(), QDir::toNativeSeparators(path));
        QCOMPARE(pages.header.field(CEXROMPage::CheckSum)->text(), QStringLiteral("0x1234"));
        QCOMPARE(pages.image.deviceCapacity(), 0u);
    }

    void the_checksum_note_compares_the_images_bytes_with_the_stored_sum() {
        Pages pages;
        RecordingPrompts prompts;
        QByteArray bytes = romtest::genesisImage(0x8000);  // stores 0x1234
        const std::uint16_t sum = nuvrel::testing::GenesisWordSum(romtest::bytesIn(bytes));
        pages.image.setPath(m_folder.image("wrong.bin", bytes));
        pages.image.setSize(static_cast<std::uint32_t>(bytes.size()));
        pages.header.activate();
        QCOMPARE(pages.header.field(CEXROMPage::CheckSum)->text(), QStringLiteral("0x1234"));
        QCOMPARE(pages.header.checksumNote()->text(),
                 QStringLiteral("differs: computed 0x%1")
                     .arg(QStringLiteral("%1").arg(sum, 4, 16, QLatin1Char('0')).toUpper()));
        // The note has a column of its own: the field beside it is as wide as every other one.
        pages.header.show();
        QVERIFY(QTest::qWaitForWindowExposed(&pages.header));
        QCOMPARE(pages.header.field(CEXROMPage::CheckSum)->width(),
                 pages.header.field(CEXROMPage::RomRange)->width());

        nuvrel::testing::PutComputedChecksum(romtest::bytesIn(bytes));
        pages.image.setPath(m_folder.image("right.bin", bytes));
        pages.header.refreshButton()->click();
        QCOMPARE(pages.header.checksumNote()->text(), QStringLiteral("matches"));

        pages.header.deviceSourceButton()->click();  // no device: nothing to compare
        QCOMPARE(pages.header.checksumNote()->text(), QString());
    }

    void an_smd_file_shows_the_header_and_checksum_of_its_plain_image() {
        Pages pages;
        RecordingPrompts prompts;
        QByteArray plain = romtest::genesisImage(0x8000, "SMD CART");
        nuvrel::testing::PutComputedChecksum(romtest::bytesIn(plain));
        pages.image.setPath(m_folder.image("game.smd", romtest::asSmd(plain)));
        pages.image.setSize(static_cast<std::uint32_t>(plain.size()));
        pages.header.activate();
        QVERIFY(pages.header.field(CEXROMPage::DomesticName)->text().startsWith("SMD CART"));
        QCOMPARE(pages.header.checksumNote()->text(), QStringLiteral("matches"));
        QCOMPARE(pages.header.formatNote()->text(),
                 QStringLiteral("SMD image (interleaved), de-interleaved in memory"));
        pages.header.deviceSourceButton()->click();
        QCOMPARE(pages.header.formatNote()->text(), QString());
    }

    void the_device_source_shows_the_rom_in_the_device_data() {
        QTest::addColumn<QByteArray>("storedName");
        QTest::addColumn<QString>("shownName");
        QTest::newRow("stored name") << QByteArray("in device.bin") << "in device.bin";
        QTest::newRow("no stored name") << QByteArray() << "Not applicable";
    }
    void the_device_source_shows_the_rom_in_the_device() {
        QFETCH(QByteArray, storedName);
        QFETCH(QString, shownName);
        velksim::SimServer sim(romtest::quickDevice());
        QVERIFY(sim.start());
        sim.setRomBytes(0, romtest::bytesOf(romtest::genesisImage(0x10000, "IN THE DEVICE")));
        romtest::storeName(storedName.constData());
        Pages pages;
        RecordingPrompts prompts;
        pages.header.activate();
        pages.header.deviceSourceButton()->click();
        QCOMPARE(pages.header.source(), CEXROMPage::Source::Device);
        QVERIFY(!pages.header.browseButton()->isEnabled());
        QStringList expected{shownName, QStringLiteral("Not applicable")};
        expected << headerOf(0x10000, QStringLiteral("IN THE DEVICE"));
        QCOMPARE(allFields(pages.header), expected);
        QVERIFY(prompts.messages.empty());
        // Back to the file source: nothing selected.
        pages.header.fileSourceButton()->click();
        QVERIFY(pages.header.browseButton()->isEnabled());
        QCOMPARE(allFields(pages.header), repeated(QStringLiteral("No information/or file busy")));
    }

    void the_device_source_while_busy_or_without_a_device_data() {
        QTest::addColumn<bool>("plugged");
        QTest::addColumn<bool>("busy");
        QTest::addColumn<QString>("shown");
        QTest::newRow("busy") << true << true << "Device is busy";
        QTest::newRow("no device") << false << false << "No information";
    }
    void the_device_source_while_busy_or_without_a_device() {
        QFETCH(bool, plugged);
        QFETCH(bool, busy);
        QFETCH(QString, shown);
        velksim::SimServer sim(romtest::quickDevice());
        if (plugged) {
            QVERIFY(sim.start());
        }
        Pages pages;
        RecordingPrompts prompts;
        pages.header.activate();
        SetVelkDeviceProcessed(busy ? 1 : 0);
        sim.clearCommandLog();
        pages.header.deviceSourceButton()->click();
        QCOMPARE(allFields(pages.header), repeated(shown));
        pages.header.activate();
        QCOMPARE(allFields(pages.header), repeated(shown));
        QVERIFY(sim.commandLog().empty());
        QVERIFY(prompts.messages.empty());
    }

    void a_dropped_image_becomes_the_selection_and_shows_its_header() {
        velksim::SimServer sim(romtest::quickDevice());
        QVERIFY(sim.start());
        Pages pages;
        RecordingPrompts prompts;
        pages.header.activate();
        pages.header.deviceSourceButton()->click();
        const QString path =
            m_folder.image("dropped.bin", romtest::genesisImage(0x8000, "DROPPED"));
        QVERIFY(romtest::dropFile(pages.header, path));

        QVERIFY(pages.header.fileSourceButton()->isChecked());
        QCOMPARE(pages.header.field(CEXROMPage::DomesticName)->text(),
                 QStringLiteral("DROPPED").leftJustified(48, QLatin1Char(' ')));
        QCOMPARE(pages.rom.diskFileName()->text(), QStringLiteral("dropped.bin"));
        QVERIFY(pages.rom.writeButton()->isEnabled());
        QVERIFY(prompts.dialogs.empty());
    }

  private:
    romtest::ImageFolder m_folder;
};

NUVREL_GUI_TEST(ExRomPageTest)
#include "exrom_page_test.moc"
