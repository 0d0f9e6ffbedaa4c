// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The "ROM memory" page against a virtual device: choosing and checking an image, programming it,
// the device side with "Out File", the read-back, and the enable rules on every way through.
#include <velk_series/velk_series.h>
#include <velk_sim/sim_harness.h>
#include <QApplication>
#include <QCheckBox>
#include <QDragEnterEvent>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>
#include <cstring>
#include <memory>
#include "pages/genesis/digest_view.h"

#include "rom_pages_fixture.h"
#include "shell/settings_store.h"
#include "support/gui_test_main.h"
#include "support/recording_prompts.h"

using namespace nuvrel;
using nuvrel::testing::RecordingPrompts;
using romtest::Pages;

namespace {

const QString kNoInfo = QStringLiteral("No info");

// Which of the page's six operation controls are enabled, in the order Out File, Read, In File,
// Write, Verify data, Fast Erase.
QList<bool> enabledControls(const CROMPage& page) {
    return {page.outFileButton()->isEnabled(), page.readButton()->isEnabled(),
            page.inFileButton()->isEnabled(),  page.writeButton()->isEnabled(),
            page.verifyBox()->isEnabled(),     page.fastEraseBox()->isEnabled()};
}

// The texts a field showed, in order, a repeated text once.
class TextLog {
  public:
    explicit TextLog(QLineEdit* field) {
        QObject::connect(field, &QLineEdit::textChanged, &m_context, [this](const QString& text) {
            if (texts.isEmpty() || texts.last() != text) {
                texts << text;
            }
        });
    }
    QStringList texts;

  private:
    QObject m_context;
};

}  // namespace

class RomPageTest : public QObject {
    Q_OBJECT

  private slots:
    void init() { romtest::beginPageTest(m_folder); }
    void cleanup() { SetVelkDeviceProcessed(0); }

    void the_page_starts_with_no_info_and_only_the_file_buttons_usable() {
        Pages pages;
        CROMPage& page = pages.rom;
        QCOMPARE(page.caption(), QStringLiteral("ROM memory"));
        for (QLineEdit* field :
             {page.deviceFileName(), page.deviceFileSize(), page.deviceDomesticName(),
              page.diskFileName(), page.diskFileSize(), page.diskDomesticName()}) {
            QCOMPARE(field->text(), kNoInfo);
            QVERIFY(field->isReadOnly());
        }
        QCOMPARE(page.statusLine()->text(), QString());
        QCOMPARE(page.sectorField()->text(), QString());
        QCOMPARE(page.processTimeField()->text(), QStringLiteral("00:00:00"));
        QCOMPARE(page.progressBar()->value(), 0);
        QCOMPARE(enabledControls(page), QList<bool>({true, false, true, false, false, false}));
        QVERIFY(!page.verifyBox()->isChecked());
        QVERIFY(!page.fastEraseBox()->isChecked());

        QStringList titles;
        for (QGroupBox* group : page.findChildren<QGroupBox*>()) {
            titles << group->title();
        }
        titles.sort();
        QCOMPARE(titles,
                 QStringList({"Disk file info:", "Operations statistics:", "ROM Memory info:"}));
        QStringList labels;
        for (QLabel* label : page.findChildren<QLabel*>()) {
            labels << label->text();
        }
        for (const char* text :
             {"Int. file name:", "File name:", "File size:", "Domestic ROM Name:", "Progress:",
              "Sector:", "Process Time:",
              " To copy file from internal memory, please push button \"Out file\", select output "
              "file name on disk or other external srorrage and press \"Read\" button for start "
              "copy process.",
              " To store file from any external storrage, please push button \"In file\", select "
              "existing file from disk or other srorrage and press \"Write\" button for start "
              "store process."}) {
            QVERIFY2(labels.contains(QString::fromLatin1(text)), text);
        }
    }

    void choosing_an_image_fills_the_disk_side_and_enables_write() {
        velksim::SimServer sim(romtest::quickDevice());
        QVERIFY(sim.start());
        Pages pages;
        RecordingPrompts prompts;
        const QString path = m_folder.image("game.bin", romtest::genesisImage(300 * 1024));
        prompts.paths = {path};
        pages.rom.inFileButton()->click();

        QCOMPARE(prompts.dialogs.size(), std::size_t{1});
        QVERIFY(!prompts.dialogs[0].save);
        QVERIFY(prompts.dialogs[0].filter.contains(QStringLiteral("*.gen *.bin")));
        QCOMPARE(pages.rom.diskFileName()->text(), QStringLiteral("game.bin"));
        QCOMPARE(pages.rom.diskFileSize()->text(), QStringLiteral("3MBit"));  // rounded up
        QCOMPARE(pages.rom.diskDomesticName()->text(), QStringLiteral("NUVREL TEST CART"));
        QCOMPARE(enabledControls(pages.rom), QList<bool>({true, false, true, true, true, true}));
        QCOMPARE(pages.image.path(), path);
        QCOMPARE(pages.image.size(), 300u * 1024u);
        QCOMPARE(pages.image.deviceCapacity(), 0x400001u);
        QVERIFY(pages.image.writeEnabled());
        QVERIFY(prompts.messages.empty());

        // The next dialog starts in the image's folder.
        pages.rom.inFileButton()->click();
        QCOMPARE(prompts.dialogs.size(), std::size_t{2});
        QCOMPARE(prompts.dialogs[1].start, QDir::toNativeSeparators(m_folder.path()));
    }

    void without_a_device_in_file_says_so_and_selects_nothing() {
        Pages pages;
        RecordingPrompts prompts;
        prompts.paths = {m_folder.image("game.bin", romtest::genesisImage(0x20000))};
        pages.rom.inFileButton()->click();
        QCOMPARE(prompts.texts(), QStringList{QStringLiteral("Device Not Detected!")});
        QCOMPARE(prompts.messages[0].icon, PromptIcon::Error);
        QVERIFY(prompts.dialogs.empty());
        QCOMPARE(pages.rom.diskFileName()->text(), kNoInfo);
        QVERIFY(!pages.rom.writeButton()->isEnabled());
    }

    void an_smd_image_is_programmed_as_its_plain_image() {
        velksim::SimServer sim(romtest::quickDevice('g'));
        QVERIFY(sim.start());
        const QByteArray plain = romtest::genesisImage(0x8000, "SMD CART");
        const QByteArray smd = romtest::asSmd(plain);
        Pages pages;
        RecordingPrompts prompts;
        prompts.paths = {m_folder.image("game.smd", smd)};
        pages.rom.inFileButton()->click();
        QCOMPARE(pages.rom.statusLine()->text(),
                 QStringLiteral("SMD image (interleaved), de-interleaved in memory"));
        pages.rom.writeButton()->click();
        pages.runner.waitUntilIdle();
        QCOMPARE(pages.rom.statusLine()->text(), QStringLiteral("Write Complite"));
        const std::vector<std::uint8_t> held =
            sim.romBytes(0, static_cast<std::size_t>(plain.size()));
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(held.data()), plain.size()), plain);
    }

    void the_capacity_seen_at_selection_decides_the_size_message_data() {
        QTest::addColumn<int>("size");
        QTest::addColumn<QString>("message");
        QTest::newRow("exactly the capacity") << 0x200000 << QString();
        QTest::newRow("one byte more")
            << 0x200001
            << QStringLiteral(
                   "File Size is to large for attached device!\nDevice Rom Size: "
                   "16MBit\nFile Size: 17MBit");
    }
    void the_capacity_seen_at_selection_decides_the_size_message() {
        QFETCH(int, size);
        QFETCH(QString, message);
        velksim::SimServer sim(romtest::quickDevice('g'));  // 2 MiB of ROM
        QVERIFY(sim.start());
        Pages pages;
        RecordingPrompts prompts;
        prompts.paths = {m_folder.image("big.bin", romtest::genesisImage(size))};
        pages.rom.inFileButton()->click();
        sim.clearCommandLog();
        pages.rom.writeButton()->click();
        pages.runner.waitUntilIdle();
        if (message.isEmpty()) {
            QVERIFY(prompts.messages.empty());
            QCOMPARE(pages.rom.statusLine()->text(), QStringLiteral("Write Complite"));
        } else {
            QCOMPARE(prompts.texts(), QStringList{message});
            QCOMPARE(prompts.messages[0].icon, PromptIcon::Information);
            // Nothing started: the device was not even asked.
            QVERIFY(sim.commandLog().empty());
            QCOMPARE(pages.rom.statusLine()->text(), QString());
        }
    }

    void a_verified_write_leaves_the_image_and_its_name_in_the_device() {
        velksim::SimServer sim(romtest::quickDevice());
        QVERIFY(sim.start());
        Pages pages;
        RecordingPrompts prompts;
        const QByteArray bytes = romtest::genesisImage(0x30000);
        prompts.paths = {m_folder.image("programmed.bin", bytes)};
        pages.rom.inFileButton()->click();
        pages.rom.verifyBox()->setChecked(true);
        const TextLog status(pages.rom.statusLine());
        QList<bool> writeFollowed;
        connect(&pages.image, &SelectedImage::changed, this,
                [&] { writeFollowed << pages.image.writeEnabled(); });

        // What the controls were while the worker reported its first step.
        QList<bool> whileRunning;
        connect(pages.rom.statusLine(), &QLineEdit::textChanged, this, [&](const QString& text) {
            if (text == QStringLiteral("Analizing file")) {
                whileRunning = enabledControls(pages.rom);
            }
        });

        pages.rom.writeButton()->click();
        pages.runner.waitUntilIdle();
        QCOMPARE(whileRunning, QList<bool>({false, false, false, false, false, false}));

        QCOMPARE(status.texts,
                 QStringList({"Analizing file", "Erasing", "Writing", "Write Complite"}));
        QCOMPARE(sim.romBytes(0, static_cast<std::size_t>(bytes.size())), romtest::bytesOf(bytes));
        QCOMPARE(sim.fileName(0), std::string("programmed.bin"));
        QVERIFY(sim.protocolErrors().empty());
        // The verify read every written block back.
        int reads = 0;
        for (const auto& command : sim.commandLog()) {
            reads += command.name == "ReadSector" && command.count == 8 ? 1 : 0;
        }
        QVERIFY(reads >= 0x30000 / 512);
        // Afterwards: writing again is possible, reading needs a new "Out File".
        QCOMPARE(enabledControls(pages.rom), QList<bool>({true, false, true, true, true, true}));
        QCOMPARE(pages.rom.sectorField()->text(), QString());
        QCOMPARE(pages.rom.progressBar()->value(), 0);
        // The shared selection followed "Write" off and on again.
        QCOMPARE(writeFollowed, QList<bool>({false, true}));
    }

    // "Compare" and "Changed sectors only" run the command line's engines on the same prepared
    // image: the one changed sector is rewritten, and the cartridge then matches the image.
    void compare_and_changed_sectors_only_work_on_the_chosen_image() {
        velksim::SimServer sim(romtest::quickDevice());
        QVERIFY(sim.start());
        Pages pages;
        RecordingPrompts prompts;
        QByteArray bytes = romtest::genesisImage(0x30000);
        const QString path = m_folder.image("game.bin", bytes);
        prompts.paths = {path};
        pages.rom.inFileButton()->click();
        pages.rom.writeButton()->click();
        pages.runner.waitUntilIdle();
        QCOMPARE(pages.rom.statusLine()->text(), QStringLiteral("Write Complite"));

        bytes[0x21000] = static_cast<char>(bytes[0x21000] ^ 0x5A);
        m_folder.image("game.bin", bytes);
        pages.rom.compareButton()->click();
        pages.runner.waitUntilIdle();
        QCOMPARE(pages.rom.statusLine()->text(), QStringLiteral("Verify error at: 0x021000"));

        pages.rom.changedOnlyBox()->setChecked(true);
        sim.clearCommandLog();
        pages.rom.writeButton()->click();
        pages.runner.waitUntilIdle();
        QCOMPARE(pages.rom.statusLine()->text(), QStringLiteral("Write Complite"));
        QVERIFY(pages.rom.digestView()->digestField()->text().startsWith(
            QStringLiteral("Sectors rewritten: 1 of ")));
        int erases = 0;
        for (const auto& command : sim.commandLog()) {
            erases += command.name == "EraseSector" ? 1 : 0;
        }
        QCOMPARE(erases, 1);
        QCOMPARE(sim.romBytes(0, static_cast<std::size_t>(bytes.size())), romtest::bytesOf(bytes));

        pages.rom.compareButton()->click();
        pages.runner.waitUntilIdle();
        QCOMPARE(pages.rom.statusLine()->text(), QStringLiteral("ROM matches the image"));
        QVERIFY(prompts.messages.empty());
    }

    void a_weak_cell_ends_in_a_verify_error_and_a_blank_stored_name() {
        velksim::DeviceConfig config = romtest::quickDevice();
        config.faults.weakCellByteAddress = 0x1234;
        velksim::SimServer sim(config);
        QVERIFY(sim.start());
        Pages pages;
        RecordingPrompts prompts;
        prompts.paths = {m_folder.image("weak.bin", romtest::genesisImage(0x10000))};
        pages.rom.inFileButton()->click();
        pages.rom.verifyBox()->setChecked(true);
        pages.rom.writeButton()->click();
        pages.runner.waitUntilIdle();
        QCOMPARE(pages.rom.statusLine()->text(), QStringLiteral("Verify error at: 0x001200"));
        QCOMPARE(sim.fileName(0), std::string(" "));
        // The block after the failing one was never written.
        QCOMPARE(sim.timesProgrammed(0x1400), 0u);
        QCOMPARE(enabledControls(pages.rom), QList<bool>({true, false, true, true, true, true}));
        QVERIFY(prompts.messages.empty());
    }

    void fast_erase_shows_the_erase_method_used_data() {
        QTest::addColumn<bool>("namedChips");
        QTest::addColumn<bool>("ticked");
        QTest::addColumn<bool>("chipErase");
        QTest::newRow("ticked, chips that allow it: whole chip") << false << true << true;
        QTest::newRow("unticked: sector by sector") << false << false << false;
        QTest::newRow("chips that need it: whole chip even unticked") << true << false << true;
    }
    void fast_erase_shows_the_erase_method_used() {
        QFETCH(bool, namedChips);
        QFETCH(bool, ticked);
        QFETCH(bool, chipErase);
        velksim::DeviceConfig config = namedChips
                                           ? velksim::DeviceConfig::withMx29lv160Text("TB", 'm')
                                           : romtest::quickDevice();
        config.erasePolls = 0;
        velksim::SimServer sim(config);
        QVERIFY(sim.start());
        Pages pages;
        RecordingPrompts prompts;
        prompts.paths = {m_folder.image("erase.bin", romtest::genesisImage(0x8000))};
        pages.rom.inFileButton()->click();
        pages.rom.fastEraseBox()->setChecked(ticked);
        const TextLog status(pages.rom.statusLine());
        pages.rom.writeButton()->click();
        pages.runner.waitUntilIdle();
        QCOMPARE(pages.rom.statusLine()->text(), QStringLiteral("Write Complite"));
        QCOMPARE(pages.rom.fastEraseBox()->isChecked(), chipErase);
        QCOMPARE(sim.chipEraseCount(0), chipErase ? 1u : 0u);
        QCOMPARE(status.texts.contains(QStringLiteral("Erasing ROM0")), chipErase);
    }

    void patches_are_applied_once_the_patch_page_exists() {
        velksim::SimServer sim(romtest::quickDevice());
        QVERIFY(sim.start());
        Pages pages;
        RecordingPrompts prompts;
        const QByteArray bytes = romtest::genesisImage(0x8000);
        prompts.paths = {m_folder.image("patched.bin", bytes)};
        pages.rom.inFileButton()->click();
        pages.patches.AppendPatchRow(0x200, 0x4E71, "");
        pages.patches.SetChecked(0, true);

        pages.rom.writeButton()->click();
        pages.runner.waitUntilIdle();
        QCOMPARE(sim.romBytes(0x200, 2), romtest::bytesOf(bytes.mid(0x200, 2)));

        pages.image.setPatchesReady();
        pages.rom.writeButton()->click();
        pages.runner.waitUntilIdle();
        QCOMPARE(sim.romBytes(0x200, 2), (std::vector<std::uint8_t>{0x4E, 0x71}));
        // Only the device changed, not the file.
        QFile file(pages.image.path());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), bytes);
    }

    void out_file_shows_the_device_side_and_offers_the_stored_name() {
        velksim::SimServer sim(romtest::quickDevice());
        QVERIFY(sim.start());
        const QByteArray rom = romtest::genesisImage(0x1000, "DEVICE CART");
        sim.setRomBytes(0, romtest::bytesOf(rom));
        romtest::storeName("stored game.bin");
        Pages pages;
        RecordingPrompts prompts;
        const QString chosen = m_folder.filePath(QStringLiteral("dump.bin"));
        prompts.paths = {chosen};
        pages.rom.outFileButton()->click();

        QCOMPARE(prompts.dialogs.size(), std::size_t{1});
        QVERIFY(prompts.dialogs[0].save);
        QCOMPARE(QFileInfo(prompts.dialogs[0].start).fileName(), QStringLiteral("stored game.bin"));
        // The device's name keeps its trailing spaces; model c reports 0x400001 bytes.
        QCOMPARE(pages.rom.deviceDomesticName()->text(),
                 QStringLiteral("DEVICE CART").leftJustified(48, QLatin1Char(' ')));
        QCOMPARE(pages.rom.deviceFileSize()->text(), QStringLiteral("32MBit"));
        QCOMPARE(pages.rom.deviceFileName()->text(), QStringLiteral("dump.bin"));
        QVERIFY(pages.rom.readButton()->isEnabled());

        // Cancelling the next dialog keeps the choice, the device side is still read again.
        sim.setRomBytes(0x120, romtest::bytesOf(QByteArray("OTHER")));
        pages.rom.outFileButton()->click();
        QCOMPARE(prompts.dialogs.size(), std::size_t{2});
        // The folder of the last choice, with the stored name.
        QCOMPARE(prompts.dialogs[1].start,
                 QDir(QDir::toNativeSeparators(m_folder.path())).filePath("stored game.bin"));
        QVERIFY(pages.rom.deviceDomesticName()->text().startsWith(QStringLiteral("OTHER")));
        QCOMPARE(pages.rom.deviceFileName()->text(), QStringLiteral("dump.bin"));
        QVERIFY(pages.rom.readButton()->isEnabled());
    }

    void the_save_dialog_completes_a_name_without_extension_with_bin() {
        velksim::SimServer sim(romtest::quickDevice());
        QVERIFY(sim.start());
        Pages pages;
        RecordingPrompts prompts;
        pages.rom.outFileButton()->click();
        // The dialog adds the extension and asks before replacing the completed name.
        QCOMPARE(prompts.dialogs.size(), std::size_t{1});
        QVERIFY(prompts.dialogs[0].save);
        QCOMPARE(prompts.dialogs[0].defaultSuffix, QStringLiteral("bin"));
    }

    void out_file_without_a_device_says_so_and_disables_read() {
        Pages pages;
        RecordingPrompts prompts;
        {
            velksim::SimServer sim(romtest::quickDevice());
            QVERIFY(sim.start());
            prompts.paths = {m_folder.filePath(QStringLiteral("dump.bin"))};
            pages.rom.outFileButton()->click();
            QVERIFY(pages.rom.readButton()->isEnabled());
        }
        pages.rom.outFileButton()->click();
        QCOMPARE(prompts.texts(), QStringList{QStringLiteral("Device Not Detected!")});
        QCOMPARE(prompts.messages[0].icon, PromptIcon::Error);
        QVERIFY(!pages.rom.readButton()->isEnabled());
        QCOMPARE(prompts.dialogs.size(), std::size_t{1});
    }

    void a_read_back_makes_the_file_and_leaves_read_disabled() {
        velksim::SimServer sim(romtest::quickDevice());
        QVERIFY(sim.start());
        const QByteArray rom = romtest::genesisImage(0x400000);
        sim.setRomBytes(0, romtest::bytesOf(rom));
        Pages pages;
        RecordingPrompts prompts;
        const QString output = m_folder.filePath(QStringLiteral("readback.bin"));
        prompts.paths = {m_folder.image("game.bin", romtest::genesisImage(0x8000)), output};
        pages.rom.inFileButton()->click();
        pages.rom.outFileButton()->click();
        const TextLog sector(pages.rom.sectorField());

        pages.rom.readButton()->click();
        pages.runner.waitUntilIdle();

        QCOMPARE(pages.rom.statusLine()->text(), QStringLiteral("Read Complite"));
        QFile file(output);
        QVERIFY(file.open(QIODevice::ReadOnly));
        // 0x400001 bytes rounded down to whole kilobytes.
        QCOMPARE(file.readAll(), rom);
        const QStringList& sectors = sector.texts;
        QCOMPARE(sectors.size(), 0x1000);
        QCOMPARE(sectors.first(), QStringLiteral("0x0..."));
        QCOMPARE(sectors.last(), QStringLiteral("0xFFF..."));
        QCOMPARE(pages.rom.sectorField()->text(), QStringLiteral("0xFFF..."));
        // Only the file buttons come back; "Write" needs a new selection.
        QCOMPARE(enabledControls(pages.rom), QList<bool>({true, false, true, false, false, false}));
        QVERIFY(!pages.image.writeEnabled());
    }

    void while_another_operation_runs_the_device_is_left_alone() {
        velksim::SimServer sim(romtest::quickDevice());
        QVERIFY(sim.start());
        Pages pages;
        RecordingPrompts prompts;
        prompts.paths = {m_folder.image("first.bin", romtest::genesisImage(0x8000)),
                         m_folder.image("second.bin", romtest::genesisImage(0x10000))};
        pages.rom.inFileButton()->click();
        sim.clearCommandLog();
        SetVelkDeviceProcessed(1);

        // "In File" selects and checks with the capacity seen last.
        pages.rom.inFileButton()->click();
        QCOMPARE(pages.rom.diskFileName()->text(), QStringLiteral("second.bin"));
        QCOMPARE(pages.image.deviceCapacity(), 0x400001u);
        QVERIFY(pages.rom.writeButton()->isEnabled());
        // "Out File" refuses, and so does "Write".
        pages.rom.outFileButton()->click();
        pages.rom.writeButton()->click();
        QCOMPARE(prompts.texts(), QStringList({"Velk Device is Busy!", "Velk Device is Busy!"}));
        QCOMPARE(prompts.messages[0].icon, PromptIcon::None);
        QCOMPARE(prompts.dialogs.size(), std::size_t{2});
        QVERIFY(sim.commandLog().empty());
        QCOMPARE(enabledControls(pages.rom), QList<bool>({true, false, true, true, true, true}));
    }

    void a_write_that_would_send_no_block_is_refused_before_the_device_is_touched_data() {
        QTest::addColumn<int>("size");
        QTest::addColumn<bool>("refused");
        QTest::newRow("empty") << 0 << true;
        QTest::newRow("one byte short of a block") << 511 << false;
    }
    void a_write_that_would_send_no_block_is_refused_before_the_device_is_touched() {
        QFETCH(int, size);
        QFETCH(bool, refused);
        velksim::SimServer sim(romtest::quickDevice());
        QVERIFY(sim.start());
        romtest::storeName("kept.bin");
        Pages pages;
        RecordingPrompts prompts;
        prompts.paths = {m_folder.image("tiny.bin", QByteArray(size, '\x4E'))};
        pages.rom.inFileButton()->click();
        sim.clearCommandLog();
        pages.rom.writeButton()->click();
        pages.runner.waitUntilIdle();
        if (refused) {
            QCOMPARE(prompts.texts(), QStringList{"Nothing to write: the image is empty."});
            QCOMPARE(prompts.messages[0].icon, PromptIcon::Information);
            QVERIFY(sim.commandLog().empty());
            QCOMPARE(sim.fileName(0), std::string("kept.bin"));
            QCOMPARE(pages.rom.statusLine()->text(), QString());
        } else {
            QVERIFY(prompts.messages.empty());
            QCOMPARE(pages.rom.statusLine()->text(), QStringLiteral("Write Complite"));
            QCOMPARE(sim.fileName(0), std::string("tiny.bin"));
            // The whole image, its block filled up with erased flash.
            QVERIFY(sim.romBytes(0, 512) == [] {
                std::vector<std::uint8_t> held(511, 0x4E);
                held.push_back(0xFF);
                return held;
            }());
        }
    }

    void write_after_the_device_went_missing_says_it_is_not_detected() {
        auto sim = std::make_unique<velksim::SimServer>(romtest::quickDevice());
        QVERIFY(sim->start());
        Pages pages;
        RecordingPrompts prompts;
        const QString path = m_folder.image("game.bin", romtest::genesisImage(0x8000));
        prompts.paths = {path, path};
        pages.rom.inFileButton()->click();
        sim.reset();
        pages.rom.inFileButton()->click();  // the library's own "Device Not Detected!"
        QVERIFY(pages.rom.writeButton()->isEnabled());
        pages.rom.writeButton()->click();
        QCOMPARE(prompts.texts(), QStringList({"Device Not Detected!", "Device Not Detected!"}));
        QCOMPARE(prompts.messages[1].icon, PromptIcon::Error);
    }

    void the_note_beside_write_counts_the_patches_the_next_write_applies_data() {
        QTest::addColumn<bool>("patchPageShown");
        QTest::addColumn<QList<int>>("checked");  // addresses of checked rows; image 0x8000 bytes
        QTest::addColumn<QString>("note");
        QTest::newRow("patch page never shown") << false << QList<int>{0x200} << QString();
        QTest::newRow("nothing checked") << true << QList<int>{} << QString();
        QTest::newRow("one") << true << QList<int>{0x200}
                             << QStringLiteral("1 patch will be applied");
        QTest::newRow("two, one outside the image") << true << QList<int>{0x200, 0x7FFE, 0x9000}
                                                    << QStringLiteral("2 patches will be applied");
    }
    void the_note_beside_write_counts_the_patches_the_next_write_applies() {
        QFETCH(bool, patchPageShown);
        QFETCH(QList<int>, checked);
        QFETCH(QString, note);
        Pages pages;
        pages.patches.AppendPatchRow(0x400, 0x4E71, "");  // never checked
        for (const int address : checked) {
            pages.patches.AppendPatchRow(static_cast<std::uint32_t>(address), 0x4E71, "");
            pages.patches.SetChecked(pages.patches.size() - 1, true);
        }
        if (patchPageShown) {
            pages.image.setPatchesReady();
        }
        pages.image.select(m_folder.image("game.bin", romtest::genesisImage(0x8000)), 0x8000, {},
                           true);
        pages.rom.activate();
        QCOMPARE(pages.rom.patchNote()->text(), note);
    }

    void a_selection_made_during_a_write_is_taken_once_the_write_has_ended() {
        velksim::SimServer sim(romtest::quickDevice());
        QVERIFY(sim.start());
        Pages pages;
        RecordingPrompts prompts;
        prompts.paths = {m_folder.image("first.bin", romtest::genesisImage(0x8000))};
        pages.rom.inFileButton()->click();
        const QString second = m_folder.image("second.bin", romtest::genesisImage(0x10000));
        QString shownWhileRunning;
        bool writeWhileRunning = true;
        connect(pages.rom.statusLine(), &QLineEdit::textChanged, this, [&](const QString& text) {
            if (text == QStringLiteral("Writing") && shownWhileRunning.isEmpty()) {
                pages.header.selectImage(second);
                shownWhileRunning = pages.rom.diskFileName()->text();
                writeWhileRunning = pages.rom.writeButton()->isEnabled();
            }
        });
        pages.rom.writeButton()->click();
        pages.runner.waitUntilIdle();
        QCOMPARE(shownWhileRunning, QStringLiteral("first.bin"));
        QVERIFY(!writeWhileRunning);
        QCOMPARE(sim.fileName(0), std::string("first.bin"));
        // Afterwards the new selection is shown and is what the next write takes.
        QCOMPARE(pages.rom.diskFileName()->text(), QStringLiteral("second.bin"));
        QCOMPARE(pages.rom.diskFileSize()->text(), QStringLiteral("1MBit"));
        QVERIFY(pages.rom.writeButton()->isEnabled());
        pages.rom.writeButton()->click();
        pages.runner.waitUntilIdle();
        QCOMPARE(sim.fileName(0), std::string("second.bin"));
    }

    void a_blank_stored_name_is_not_offered_as_the_file_name() {
        velksim::SimServer sim(romtest::quickDevice());
        QVERIFY(sim.start());
        romtest::storeName(" ");  // what a failed verify leaves
        Pages pages;
        RecordingPrompts prompts;
        pages.rom.outFileButton()->click();
        QCOMPARE(prompts.dialogs.size(), std::size_t{1});
        QCOMPARE(prompts.dialogs[0].start, QString());
    }

    void focus_leaves_a_disabled_button_for_the_next_usable_control() {
        velksim::SimServer sim(romtest::quickDevice());
        QVERIFY(sim.start());
        Pages pages;
        RecordingPrompts prompts;
        prompts.paths = {m_folder.image("game.bin", romtest::genesisImage(0x8000))};
        pages.rom.activate();
        pages.rom.show();
        QVERIFY(QTest::qWaitForWindowActive(&pages.rom));
        pages.rom.inFileButton()->click();
        pages.rom.writeButton()->setFocus();
        QCOMPARE(QApplication::focusWidget(), pages.rom.writeButton());
        pages.rom.writeButton()->click();
        pages.runner.waitUntilIdle();
        // Every other control of the page was disabled with it, so focus may go nowhere; never
        // onto a read-only field.
        QWidget* focused = QApplication::focusWidget();
        QVERIFY(qobject_cast<QLineEdit*>(focused) == nullptr);
    }

    void a_dropped_image_is_selected_like_in_file() {
        velksim::SimServer sim(romtest::quickDevice());
        QVERIFY(sim.start());
        Pages pages;
        RecordingPrompts prompts;
        const QString path = m_folder.image("dropped.gen", romtest::genesisImage(0x20000));

        QVERIFY(!romtest::dropFile(pages.rom, m_folder.image("notes.txt", "text")));
        QVERIFY(romtest::dropFile(pages.rom, path));

        QCOMPARE(pages.rom.diskFileName()->text(), QStringLiteral("dropped.gen"));
        QCOMPARE(pages.rom.diskFileSize()->text(), QStringLiteral("1MBit"));
        QCOMPARE(pages.image.deviceCapacity(), 0x400001u);
        QCOMPARE(enabledControls(pages.rom), QList<bool>({true, false, true, true, true, true}));
        // No dialog, so no folder remembered.
        QVERIFY(prompts.dialogs.empty());
        QString folder;
        QVERIFY(!ReadSettingString(QString::fromLatin1(SettingsKey),
                                   QString::fromLatin1(kLoadRomDir), folder) ||
                folder.isEmpty());
    }

  private:
    romtest::ImageFolder m_folder;
};

NUVREL_GUI_TEST(RomPageTest)
#include "rom_page_test.moc"
