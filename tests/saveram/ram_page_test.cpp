// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The "RAM memory" page against an in-process virtual device: what the device ends up holding,
// the files the page makes, what the user sees and which controls can be used afterwards.
#include <sys/stat.h>

#include <velk_series/velk_series.h>
#include <velk_sim/sim_harness.h>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>
#include <algorithm>
#include <fstream>
#include <optional>
#include <random>

#include "pages/saveram/ram_page.h"
#include "shell/device_operation_runner.h"
#include "shell/library_messages.h"
#include "shell/settings_store.h"
#include "support/gui_test_main.h"
#include "support/recording_prompts.h"
#include "support/worker_gate.h"

using nuvrel::CRAMPage;
using nuvrel::PromptIcon;
using nuvrel::testing::RecordingPrompts;

namespace {

using Bytes = std::vector<std::uint8_t>;

velksim::DeviceConfig model(char letter) {
    velksim::DeviceConfig config;
    config.model = letter;
    return config;
}

Bytes randomSave(unsigned seed) {
    std::mt19937 generator(seed);
    Bytes save(velksim::kSaveRamBytes);
    for (auto& byte : save) {
        byte = static_cast<std::uint8_t>(generator());
    }
    return save;
}

// A short window image no other layout reads: 0 at even offsets, 0x11 at the odd ones, and not a
// power of two long, so not a compact save either.
QByteArray shortWindowFile() {
    QByteArray file(768, '\0');
    for (qsizetype i = 1; i < file.size(); i += 2) {
        file[i] = '\x11';
    }
    return file;
}

// A save file as the page writes it: 0 at even offsets, the save bytes at the odd ones.
QByteArray saveFileOf(const Bytes& save) {
    QByteArray file(static_cast<qsizetype>(save.size() * 2), '\0');
    for (std::size_t k = 0; k < save.size(); ++k) {
        file[static_cast<qsizetype>(2 * k + 1)] = static_cast<char>(save[k]);
    }
    return file;
}

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void storeSaveName(const char* text) {
    char name[64] = {};
    std::copy_n(text, std::min<std::size_t>(std::strlen(text), sizeof name), name);
    const DeviceHandle device = OpenVelkDevice();
    QVERIFY(device != VELK_INVALID_DEVICE);
    QVERIFY(WriteFileName(device, name, VELK_SLOT_SAVE_NAME));
    CloseVelkDevice(device);
}

int commandCount(const velksim::SimServer& sim, const char* name) {
    const auto log = sim.commandLog();
    return static_cast<int>(std::count_if(
        log.begin(), log.end(), [name](const auto& record) { return record.name == name; }));
}

// The page with its runner, a virtual device (plugged in by plug()) and a folder for files.
class Bench {
  public:
    explicit Bench(std::optional<velksim::DeviceConfig> config = model('c')) {
        if (config) {
            m_sim.emplace(*config);
            QVERIFY(m_sim->start());
        }
        runner.setTickInterval(std::chrono::milliseconds(10));
        page.activate();
    }
    velksim::SimServer& sim() { return *m_sim; }

    QString path(const QString& name) const { return QDir(folder.path()).filePath(name); }
    QString writeFile(const QString& name, const QByteArray& bytes) const {
        QFile file(path(name));
        file.open(QIODevice::WriteOnly);
        file.write(bytes);
        return file.fileName();
    }

    // Presses a button and waits for the run it may have started.
    void press(QPushButton* button) {
        button->click();
        runner.waitUntilIdle();
    }
    void chooseOutFile(const QString& path) {
        prompts.paths.push_back(path);
        press(page.outFileButton());
    }
    void chooseInFile(const QString& path) {
        prompts.paths.push_back(path);
        press(page.inFileButton());
    }

    QStringList enabledControls() const {
        QStringList names;
        for (QWidget* widget :
             {static_cast<QWidget*>(page.clearRamButton()),
              static_cast<QWidget*>(page.outFileButton()), static_cast<QWidget*>(page.readButton()),
              static_cast<QWidget*>(page.inFileButton()), static_cast<QWidget*>(page.writeButton()),
              static_cast<QWidget*>(page.verifyBox()), static_cast<QWidget*>(page.progressBar()),
              static_cast<QWidget*>(page.refreshButton())}) {
            if (widget->isEnabled()) {
                names << widget->objectName();
            }
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    RecordingPrompts prompts;
    QTemporaryDir folder;
    nuvrel::DeviceOperationRunner runner;
    CRAMPage page{runner};

  private:
    std::optional<velksim::SimServer> m_sim;
};

// Sorted, as enabledControls() gives them.
const QStringList kIdleWithSaveRam{"clearRamButton", "inFileButton",  "outFileButton",
                                   "progress",       "refreshButton", "verifyBox"};
const QStringList kOnlyRefresh{"refreshButton"};

QStringList with(QStringList names, const QString& extra) {
    names << extra;
    std::sort(names.begin(), names.end());
    return names;
}

QStringList sorted(QStringList names) {
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace

class RamPageTest : public QObject {
    Q_OBJECT

  private slots:
    void cleanup() {
        SetVelkDeviceProcessed(0);
        QCOMPARE(nuvrel::DeviceOperationRunner::liveWorkers(), 0);
    }

    void captions_help_texts_and_start_states() {
        nuvrel::DeviceOperationRunner runner;
        CRAMPage page(runner);
        QCOMPARE(page.caption(), QStringLiteral("RAM memory"));
        QStringList titles;
        for (QGroupBox* group : page.findChildren<QGroupBox*>()) {
            titles << group->title();
        }
        QCOMPARE(sorted(titles),
                 sorted({"RAM Memory info:", "Disk SRM file info:", "Operations statistics:"}));
        QStringList labels;
        for (QLabel* label : page.findChildren<QLabel*>()) {
            labels << label->text();
        }
        QVERIFY(labels.contains(
            " To copy file from internal memory, please push button \"Out file\", select output "
            "file name on disk or other external srorrage and press \"Read\" button for start copy "
            "process."));
        QVERIFY(labels.contains(
            " To store file from any external storrage, please push button \"In file\", select "
            "existing file from disk or other srorrage and press \"Write\" button for start store "
            "process."));
        for (const char* text : {"Int. file name:", "File name:", "Progress:", "Process Time:"}) {
            QVERIFY2(labels.contains(QString::fromLatin1(text)), text);
        }
        QCOMPARE(page.clearRamButton()->text(), QStringLiteral("Clear RAM"));
        QCOMPARE(page.outFileButton()->text(), QStringLiteral("Out File"));
        QCOMPARE(page.readButton()->text(), QStringLiteral("Read"));
        QCOMPARE(page.inFileButton()->text(), QStringLiteral("In File"));
        QCOMPARE(page.writeButton()->text(), QStringLiteral("Write"));
        QCOMPARE(page.verifyBox()->text(), QStringLiteral("Verify data"));
        QCOMPARE(page.refreshButton()->text(), QStringLiteral("Refresh"));

        // Before the first activation.
        QVERIFY(!page.clearRamButton()->isEnabled());
        QVERIFY(page.outFileButton()->isEnabled());
        QVERIFY(!page.readButton()->isEnabled());
        QVERIFY(page.inFileButton()->isEnabled());
        QVERIFY(!page.writeButton()->isEnabled());
        QVERIFY(page.verifyBox()->isChecked());
        QVERIFY(!page.verifyBox()->isEnabled());
        QVERIFY(page.refreshButton()->isEnabled());
        QVERIFY(page.statusLine()->text().isEmpty());
        QVERIFY(page.statusLine()->alignment() & Qt::AlignHCenter);
        QCOMPARE(page.processTimeField()->text(), QStringLiteral("00:00:00"));
        QVERIFY(page.internalNameField()->text().isEmpty());
        QVERIFY(page.fileNameField()->text().isEmpty());
    }

    void the_page_is_usable_only_with_a_device_that_has_save_ram_data() {
        QTest::addColumn<QChar>("letter");  // '-' : no device
        QTest::addColumn<bool>("usable");
        QTest::newRow("no device") << QChar('-') << false;
        QTest::newRow("model g, no save RAM") << QChar('g') << false;
        QTest::newRow("model m, no save RAM") << QChar('m') << false;
        QTest::newRow("model c") << QChar('c') << true;
        QTest::newRow("model e") << QChar('e') << true;
    }

    void the_page_is_usable_only_with_a_device_that_has_save_ram() {
        QFETCH(QChar, letter);
        QFETCH(bool, usable);
        const auto config = letter == QChar('-')
                                ? std::nullopt
                                : std::optional(model(static_cast<char>(letter.unicode())));
        Bench bench(config);
        QCOMPARE(bench.enabledControls(), usable ? kIdleWithSaveRam : kOnlyRefresh);
        bench.press(bench.page.refreshButton());
        QCOMPARE(bench.enabledControls(), usable ? kIdleWithSaveRam : kOnlyRefresh);
        QVERIFY(bench.prompts.messages.empty());
    }

    void a_refresh_while_the_device_is_busy_leaves_it_alone() {
        Bench bench;
        bench.sim().clearCommandLog();
        SetVelkDeviceProcessed(1);
        bench.page.activate();
        QCOMPARE(bench.enabledControls(), kOnlyRefresh);
        QVERIFY(bench.sim().commandLog().empty());
        SetVelkDeviceProcessed(0);
        bench.press(bench.page.refreshButton());
        QCOMPARE(bench.enabledControls(), kIdleWithSaveRam);
    }

    void read_makes_a_whole_window_file_with_zero_even_bytes() {
        Bench bench;
        const Bytes save = randomSave(1);
        bench.sim().setSaveRam(save);
        storeSaveName("sonic.srm");
        const QString out = bench.path(QStringLiteral("back.srm"));

        bench.chooseOutFile(out);
        QCOMPARE(bench.prompts.dialogs.size(), std::size_t{1});
        const auto& dialog = bench.prompts.dialogs.front();
        QVERIFY(dialog.save);
        QCOMPARE(dialog.start, QStringLiteral("sonic.srm"));  // the stored name, no folder yet
        QCOMPARE(dialog.filter, QStringLiteral("Save RAM Genesis files *.srm (*.srm);;All files "
                                               "*.* (*)"));
        QCOMPARE(dialog.defaultSuffix, QStringLiteral("srm"));
        QCOMPARE(bench.page.internalNameField()->text(), QStringLiteral("back.srm"));
        QCOMPARE(bench.enabledControls(), with(kIdleWithSaveRam, "readButton"));
        QString remembered;
        QVERIFY(nuvrel::ReadSettingString(nuvrel::SettingsKey, nuvrel::kSaveRamDir, remembered));
        QCOMPARE(QDir(remembered), QDir(bench.folder.path()));

        bench.press(bench.page.readButton());

        const QByteArray file = readFile(out);
        QCOMPARE(file.size(), 65536);
        QCOMPARE(file, saveFileOf(save));
        QCOMPARE(bench.page.statusLine()->text(), QStringLiteral("Read Complite"));
        QCOMPARE(bench.page.progressBar()->value(), 0);
        QCOMPARE(commandCount(bench.sim(), "ReadSector"), 64);
        // "Read" waits for another output file; the stored name is unchanged by a read.
        QCOMPARE(bench.enabledControls(), kIdleWithSaveRam);
        QCOMPARE(bench.sim().fileName(2), std::string("sonic.srm"));
        QVERIFY(bench.prompts.messages.empty());

        // The next dialog starts in the remembered folder, still offering the stored name.
        bench.prompts.paths.push_back(QString());
        bench.press(bench.page.outFileButton());
        QCOMPARE(bench.prompts.dialogs.back().start, bench.path(QStringLiteral("sonic.srm")));
    }

    void a_stored_name_filling_the_whole_slot_is_not_suggested() {
        QTemporaryDir state;
        std::ofstream(QDir(state.path()).filePath("state.txt").toStdString())
            << "name2=" << std::string(64, 'S') << "\n";
        velksim::ServerOptions options;
        options.stateDir = state.path().toStdString();
        velksim::SimServer sim(model('c'), options);
        QVERIFY(sim.start());
        RecordingPrompts prompts;
        nuvrel::DeviceOperationRunner runner;
        CRAMPage page(runner);
        page.activate();
        page.outFileButton()->click();
        QCOMPARE(prompts.dialogs.size(), std::size_t{1});
        QCOMPARE(prompts.dialogs.front().start, QString());
        QVERIFY(!page.readButton()->isEnabled());  // cancelled
    }

    void a_stored_name_comes_back_as_it_was_written() {
        Bench bench;
        storeSaveName("S\xC3\xBC\xC3\x9F.srm");  // "Süß.srm" as the platform's file names hold it
        bench.press(bench.page.outFileButton());
        QCOMPARE(bench.prompts.dialogs.size(), std::size_t{1});
        QCOMPARE(bench.prompts.dialogs.front().start, QStringLiteral("S\u00FC\u00DF.srm"));
    }

    void in_file_refuses_what_is_not_a_regular_file_without_blocking() {
        Bench bench;
        const QString fifo = bench.path(QStringLiteral("pipe.srm"));
        QVERIFY(mkfifo(QFile::encodeName(fifo).constData(), 0600) == 0);
        bench.chooseInFile(fifo);  // a FIFO without a writer would block an ordinary open
        QCOMPARE(bench.prompts.texts(), QStringList{QStringLiteral("Not a regular file")});
        QVERIFY(!bench.page.writeButton()->isEnabled());
        QCOMPARE(bench.page.fileNameField()->text(), QString());
    }

    void write_with_verify_then_read_gives_the_same_save() {
        Bench bench;
        const Bytes save = randomSave(2);
        const QString in = bench.writeFile(QStringLiteral("game.srm"), saveFileOf(save));

        bench.chooseInFile(in);
        const auto& dialog = bench.prompts.dialogs.back();
        QVERIFY(!dialog.save);
        QCOMPARE(dialog.defaultSuffix, QStringLiteral("srm"));
        QCOMPARE(bench.page.fileNameField()->text(), QStringLiteral("game.srm"));
        QCOMPARE(bench.enabledControls(), with(kIdleWithSaveRam, "writeButton"));
        bench.sim().clearCommandLog();

        bench.press(bench.page.writeButton());

        QCOMPARE(bench.page.statusLine()->text(), QStringLiteral("Write Complite"));
        QVERIFY(bench.sim().saveRam() == save);
        QCOMPARE(bench.sim().fileName(2), std::string("game.srm"));
        QCOMPARE(commandCount(bench.sim(), "WriteRamSector"), 256);
        QCOMPARE(commandCount(bench.sim(), "ReadSector"), 1 + 256);  // probe + every block
        QCOMPARE(bench.enabledControls(), with(kIdleWithSaveRam, "writeButton"));

        const QString out = bench.path(QStringLiteral("back.srm"));
        bench.chooseOutFile(out);
        QCOMPARE(bench.prompts.dialogs.back().start, QStringLiteral("game.srm"));
        bench.press(bench.page.readButton());
        QCOMPARE(readFile(out), saveFileOf(save));
        QVERIFY(bench.prompts.messages.empty());
    }

    void a_clear_verifies_as_the_last_write_did_data() {
        QTest::addColumn<bool>("writeFirst");
        QTest::addColumn<bool>("verifyTicked");
        QTest::addColumn<int>("readBacks");
        QTest::newRow("no write yet, box unticked") << false << false << 256;
        QTest::newRow("last write verified") << true << true << 256;
        QTest::newRow("last write unverified") << true << false << 0;
    }

    void a_clear_verifies_as_the_last_write_did() {
        QFETCH(bool, writeFirst);
        QFETCH(bool, verifyTicked);
        QFETCH(int, readBacks);
        Bench bench;
        bench.page.verifyBox()->setChecked(verifyTicked);
        if (writeFirst) {
            bench.chooseInFile(bench.writeFile(QStringLiteral("a.srm"), saveFileOf(randomSave(3))));
            bench.press(bench.page.writeButton());
            QCOMPARE(commandCount(bench.sim(), "ReadSector"), 1 + readBacks);
            bench.page.verifyBox()->setChecked(!verifyTicked);  // only a write takes the box
        }
        bench.sim().clearCommandLog();
        bench.press(bench.page.clearRamButton());
        QCOMPARE(bench.page.statusLine()->text(), QStringLiteral("Write Complite"));
        QCOMPARE(commandCount(bench.sim(), "ReadSector"), 1 + readBacks);
    }

    void a_file_too_large_for_the_save_ram_is_refused_in_kilobytes() {
        Bench bench(model('e'));  // 32768 save bytes
        const QString in = bench.writeFile(QStringLiteral("big.srm"), QByteArray(65537, '\x11'));
        bench.chooseInFile(in);
        bench.sim().clearCommandLog();

        bench.press(bench.page.writeButton());

        QCOMPARE(bench.prompts.texts(),
                 QStringList{"File Size is to large for attached device!\nDevice Rom Size: "
                             "32Kbytes\nFile Size: 65Kbytes"});
        QCOMPARE(bench.prompts.messages.front().icon, PromptIcon::Information);
        QVERIFY(bench.sim().commandLog().empty());
        QCOMPARE(IsVelkDeviceProcessed(), 0);
        QCOMPARE(bench.enabledControls(), with(kIdleWithSaveRam, "writeButton"));

        // Exactly the whole window is accepted.
        bench.chooseInFile(bench.writeFile(QStringLiteral("fits.srm"), QByteArray(65536, '\0')));
        bench.press(bench.page.writeButton());
        QCOMPARE(bench.page.statusLine()->text(), QStringLiteral("Write Complite"));
        QCOMPARE(bench.prompts.messages.size(), std::size_t{1});
    }

    void a_write_that_would_send_no_block_is_refused_before_the_device_is_touched_data() {
        QTest::addColumn<int>("size");
        QTest::addColumn<bool>("refused");
        QTest::newRow("one byte short of a block") << 255 << true;
        QTest::newRow("one block") << 256 << false;
    }
    void a_write_that_would_send_no_block_is_refused_before_the_device_is_touched() {
        QFETCH(int, size);
        QFETCH(bool, refused);
        Bench bench;
        storeSaveName("kept.srm");
        QByteArray window(size, '\0');  // the device's own layout: save bytes at odd offsets
        for (int i = 1; i < size; i += 2) {
            window[i] = '\x11';
        }
        bench.prompts.picks.push_back(0);  // a 256-byte file is also a compact save: the window
        bench.chooseInFile(bench.writeFile(QStringLiteral("small.srm"), window));
        bench.sim().clearCommandLog();
        bench.press(bench.page.writeButton());
        if (refused) {
            QCOMPARE(bench.prompts.texts(),
                     QStringList{"Nothing to write: the file is smaller than one 256-byte block."});
            QCOMPARE(bench.prompts.messages.front().icon, PromptIcon::Information);
            QVERIFY(bench.sim().commandLog().empty());
            QCOMPARE(bench.sim().fileName(VELK_SLOT_SAVE_NAME), std::string("kept.srm"));
            QCOMPARE(bench.page.statusLine()->text(), QString());
        } else {
            QVERIFY(bench.prompts.messages.empty());
            QCOMPARE(bench.page.statusLine()->text(), QStringLiteral("Write Complite"));
            QCOMPARE(bench.sim().fileName(VELK_SLOT_SAVE_NAME), std::string("small.srm"));
        }
    }

    void write_after_the_device_went_missing_says_it_is_not_detected() {
        Bench bench;
        nuvrel::installLibraryMessageHandler(&bench.page);
        bench.chooseInFile(bench.writeFile(QStringLiteral("game.srm"), shortWindowFile()));
        bench.sim().stop();
        bench.press(bench.page.outFileButton());  // the size query finds nothing now
        bench.press(bench.page.writeButton());
        nuvrel::removeLibraryMessageHandler();
        QCOMPARE(bench.prompts.texts(),
                 QStringList({"Device Not Detected!", "Device Not Detected!"}));
        QCOMPARE(bench.prompts.messages.back().icon, PromptIcon::Error);
    }

    void a_blank_stored_name_is_not_suggested() {
        Bench bench;
        storeSaveName(" ");  // what a clear or a failed verify leaves
        bench.press(bench.page.outFileButton());
        QCOMPARE(bench.prompts.dialogs.size(), std::size_t{1});
        QCOMPARE(bench.prompts.dialogs.front().start, QString());
    }

    void a_weak_save_cell_fails_the_verify_and_blanks_the_stored_name() {
        velksim::DeviceConfig config = model('c');
        config.faults.weakSaveByte = 0x91A;  // file offset 0x1235, in the block at 0x1200
        Bench bench(config);
        bench.sim().setSaveRam(Bytes(velksim::kSaveRamBytes, 0));
        storeSaveName("old.srm");
        bench.chooseInFile(bench.writeFile(QStringLiteral("new.srm"),
                                           saveFileOf(Bytes(velksim::kSaveRamBytes, 0x5A))));
        bench.sim().clearCommandLog();

        bench.press(bench.page.writeButton());

        QCOMPARE(bench.page.statusLine()->text(), QStringLiteral("Verify error at: 0x001200"));
        QCOMPARE(bench.sim().fileName(2), std::string(" "));
        QCOMPARE(commandCount(bench.sim(), "WriteRamSector"), 0x1200 / 256 + 1);
        QCOMPARE(bench.page.progressBar()->value(), 0);
        QCOMPARE(bench.enabledControls(), with(kIdleWithSaveRam, "writeButton"));
        QVERIFY(bench.prompts.messages.empty());
    }

    void clear_zeroes_the_save_ram_and_write_waits_for_a_new_input_file() {
        Bench bench;
        bench.sim().setSaveRam(randomSave(4));
        storeSaveName("kept.srm");
        const QString in = bench.writeFile(QStringLiteral("a.srm"), saveFileOf(randomSave(5)));
        bench.chooseOutFile(bench.path(QStringLiteral("out.srm")));
        bench.chooseInFile(in);
        QCOMPARE(bench.enabledControls(),
                 sorted(kIdleWithSaveRam + QStringList{"readButton", "writeButton"}));

        bench.press(bench.page.clearRamButton());

        QCOMPARE(bench.page.statusLine()->text(), QStringLiteral("Write Complite"));
        QVERIFY(bench.sim().saveRam() == Bytes(velksim::kSaveRamBytes, 0));
        QCOMPARE(bench.sim().fileName(2), std::string(" "));
        QCOMPARE(bench.enabledControls(), kIdleWithSaveRam);

        bench.chooseInFile(in);
        QCOMPARE(bench.enabledControls(), with(kIdleWithSaveRam, "writeButton"));
        QVERIFY(bench.prompts.messages.empty());
    }

    void buttons_say_busy_while_another_pages_operation_runs() {
        Bench bench;
        bench.chooseOutFile(bench.path(QStringLiteral("out.srm")));
        bench.chooseInFile(bench.writeFile(QStringLiteral("a.srm"), shortWindowFile()));
        nuvrel::testing::WorkerGate gate;
        QVERIFY(bench.runner.BeginDeviceOperation(
            nuvrel::OperationControls{}, [&gate](nuvrel::OperationSink&) { gate.wait(); }));
        bench.sim().clearCommandLog();

        bench.page.clearRamButton()->click();
        bench.page.readButton()->click();
        bench.page.writeButton()->click();

        QCOMPARE(bench.prompts.texts(), QStringList({"Velk Device is busy!", "Velk Device is Busy!",
                                                     "Velk Device is Busy!"}));
        for (const auto& message : bench.prompts.messages) {
            QCOMPARE(message.icon, PromptIcon::None);
        }
        gate.open();
        bench.runner.waitUntilIdle();
        QVERIFY(bench.sim().commandLog().empty());
        QCOMPARE(bench.enabledControls(),
                 sorted(kIdleWithSaveRam + QStringList{"readButton", "writeButton"}));
    }

    void clear_without_save_ram_says_the_device_is_not_detected_data() {
        QTest::addColumn<QChar>("letter");
        QTest::addColumn<QStringList>("texts");
        QTest::newRow("no device")
            << QChar('-') << QStringList{"Device Not Detected!", "Velk Device not detected!"};
        QTest::newRow("model g") << QChar('g') << QStringList{"Velk Device not detected!"};
    }

    void clear_without_save_ram_says_the_device_is_not_detected() {
        QFETCH(QChar, letter);
        QFETCH(QStringList, texts);
        const auto config = letter == QChar('-')
                                ? std::nullopt
                                : std::optional(model(static_cast<char>(letter.unicode())));
        Bench bench(config);
        nuvrel::installLibraryMessageHandler(&bench.page);
        bench.page.startClear();  // the button itself is disabled here
        nuvrel::removeLibraryMessageHandler();
        QCOMPARE(bench.prompts.texts(), texts);
        QCOMPARE(bench.prompts.messages.back().icon, PromptIcon::Information);
        QCOMPARE(IsVelkDeviceProcessed(), 0);
        QCOMPARE(bench.enabledControls(), kOnlyRefresh);
    }

    void a_run_that_finds_no_device_ends_quietly_with_its_controls_back_data() {
        QTest::addColumn<bool>("reading");
        QTest::newRow("Read") << true;
        QTest::newRow("Write") << false;
    }

    void a_run_that_finds_no_device_ends_quietly_with_its_controls_back() {
        QFETCH(bool, reading);
        Bench bench;
        bench.chooseOutFile(bench.path(QStringLiteral("out.srm")));
        bench.chooseInFile(bench.writeFile(QStringLiteral("a.srm"), shortWindowFile()));
        bench.page.statusLine()->setText(QStringLiteral("earlier"));
        bench.sim().stop();

        bench.press(reading ? bench.page.readButton() : bench.page.writeButton());

        QCOMPARE(bench.page.statusLine()->text(), QStringLiteral("earlier"));
        QCOMPARE(bench.page.processTimeField()->text(), QStringLiteral("00:00:00"));
        QCOMPARE(IsVelkDeviceProcessed(), 0);
        QCOMPARE(bench.enabledControls(),
                 reading ? kIdleWithSaveRam : with(kIdleWithSaveRam, "writeButton"));
        QVERIFY(!QFile::exists(bench.path(QStringLiteral("out.srm"))));
        QVERIFY(bench.prompts.messages.empty());
    }

    void a_save_in_another_layout_is_converted_or_refused_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("said");  // the status note, or the refusal's start
        QTest::addColumn<bool>("refused");
        const Bytes save = randomSave(7);
        const QByteArray compact(reinterpret_cast<const char*>(save.data()),
                                 static_cast<qsizetype>(save.size()));
        QByteArray doubled;
        for (const std::uint8_t byte : save) {
            doubled.append(static_cast<char>(byte)).append(static_cast<char>(byte));
        }
        QTest::newRow("compact") << compact
                                 << QStringLiteral("compact 32 KiB save, expanded for the device")
                                 << false;
        QTest::newRow("doubled") << doubled
                                 << QStringLiteral(
                                        "byte-doubled 32 KiB save, halved for the device")
                                 << false;
        QByteArray unpatterned(20000, '\0');
        for (qsizetype i = 0; i < unpatterned.size(); ++i) {
            unpatterned[i] = static_cast<char>(i * 7 + 3);
        }
        QTest::newRow("unknown") << unpatterned << QStringLiteral("Unknown save file layout")
                                 << true;
    }

    void a_save_in_another_layout_is_converted_or_refused() {
        QFETCH(QByteArray, file);
        QFETCH(QString, said);
        QFETCH(bool, refused);
        Bench bench;
        const Bytes before = randomSave(8);
        bench.sim().setSaveRam(before);
        bench.chooseInFile(bench.writeFile(QStringLiteral("emu.srm"), file));
        if (refused) {
            QCOMPARE(bench.prompts.messages.size(), std::size_t{1});
            QVERIFY(bench.prompts.texts().front().startsWith(said));
            QCOMPARE(bench.prompts.messages.front().icon, PromptIcon::Information);
            QVERIFY(!bench.page.writeButton()->isEnabled());
            QVERIFY(bench.sim().saveRam() == before);
            return;
        }
        QCOMPARE(bench.page.statusLine()->text(), said);
        bench.press(bench.page.writeButton());
        QCOMPARE(bench.page.statusLine()->text(), QStringLiteral("Write Complite"));
        QVERIFY(bench.sim().saveRam() == randomSave(7));
        QCOMPARE(QFileInfo(bench.path(QStringLiteral("emu.srm"))).size(), file.size());
        QVERIFY(bench.prompts.messages.empty());
    }

    // Erased 0xFF is a compact 32 KiB save or a 16 KiB one with 0xFF filler: the user says which,
    // and the write puts exactly that in the save RAM.
    void a_save_that_reads_two_ways_is_written_as_the_user_names_it_data() {
        QTest::addColumn<int>("pick");
        QTest::newRow("cancelled") << -1;
        QTest::newRow("compact") << 0;
        QTest::newRow("filler") << 1;
    }

    void a_save_that_reads_two_ways_is_written_as_the_user_names_it() {
        QFETCH(int, pick);
        Bench bench;
        const Bytes before = randomSave(11);
        bench.sim().setSaveRam(before);
        bench.prompts.picks.push_back(pick);
        bench.chooseInFile(bench.writeFile(QStringLiteral("blank.srm"), QByteArray(32768, '\xFF')));

        QCOMPARE(bench.prompts.choicesOffered.size(), std::size_t{1});
        QCOMPARE(bench.prompts.choicesOffered.front(),
                 (QStringList{QStringLiteral("compact 32 KiB save"),
                              QStringLiteral("expanded 16 KiB save (0xFF filler in the even "
                                             "bytes)")}));
        QVERIFY(bench.prompts.messages.empty());
        if (pick < 0) {
            QVERIFY(!bench.page.writeButton()->isEnabled());
            return;
        }
        bench.press(bench.page.writeButton());
        QCOMPARE(bench.page.statusLine()->text(), QStringLiteral("Write Complite"));
        Bytes expected = before;
        std::fill_n(expected.begin(), pick == 0 ? 32768 : 16384, std::uint8_t{0xFF});
        QVERIFY(bench.sim().saveRam() == expected);
    }

    void a_save_changed_into_an_unknown_layout_after_in_file_is_not_written() {
        Bench bench;
        const Bytes before = randomSave(9);
        bench.sim().setSaveRam(before);
        bench.chooseInFile(bench.writeFile(QStringLiteral("a.srm"), saveFileOf(randomSave(10))));
        bench.writeFile(QStringLiteral("a.srm"), QByteArray(32768, '\xFF'));
        bench.sim().clearCommandLog();
        bench.press(bench.page.writeButton());
        QCOMPARE(bench.prompts.messages.size(), std::size_t{1});
        QCOMPARE(bench.prompts.messages.front().icon, PromptIcon::Information);
        QVERIFY(bench.sim().commandLog().empty());
        QVERIFY(bench.sim().saveRam() == before);
    }

    void cancelled_file_dialogs_change_nothing() {
        Bench bench;
        QString before = QStringLiteral("unset");
        nuvrel::ReadSettingString(nuvrel::SettingsKey, nuvrel::kLoadRamDir, before);
        bench.press(bench.page.outFileButton());
        bench.press(bench.page.inFileButton());
        QCOMPARE(bench.prompts.dialogs.size(), std::size_t{2});
        QCOMPARE(bench.enabledControls(), kIdleWithSaveRam);
        QString after = QStringLiteral("unset");
        nuvrel::ReadSettingString(nuvrel::SettingsKey, nuvrel::kLoadRamDir, after);
        QCOMPARE(after, before);
        QVERIFY(bench.page.internalNameField()->text().isEmpty());
        QVERIFY(bench.page.fileNameField()->text().isEmpty());
    }
};

NUVREL_GUI_TEST(RamPageTest)
#include "ram_page_test.moc"
