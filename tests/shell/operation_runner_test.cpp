// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The device operation runner: one operation at a time, controls disabled while it runs and
// enabled on every way out, every update applied on the user-interface thread, and the elapsed
// time display.
#include <velk_series/velk_series.h>
#include <velk_sim/sim_harness.h>
#include <QAbstractButton>
#include <QCheckBox>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>
#include <atomic>
#include <cstdio>
#include <memory>

#include "shell/device_busy.h"
#include "shell/device_operation_runner.h"
#include "shell/operation_buttons.h"
#include "shell/ui_thread.h"
#include "support/gui_test_main.h"
#include "support/recording_prompts.h"
#include "support/worker_gate.h"

using namespace nuvrel;
using nuvrel::testing::RecordingPrompts;

namespace {

// A page with the controls of a save-RAM-like operation.
struct TestPage {
    QWidget page;
    QProgressBar* progress = new QProgressBar(&page);
    QLineEdit* status = new QLineEdit(&page);
    QLineEdit* time = new QLineEdit(QStringLiteral("00:00:00"), &page);
    QLineEdit* sector = new QLineEdit(&page);
    QCheckBox* fastErase = new QCheckBox(QStringLiteral("Fast Erase"), &page);
    QPushButton* write = new QPushButton(QStringLiteral("Write"), &page);
    QPushButton* read = new QPushButton(QStringLiteral("Read"), &page);
    QPushButton* inFile = new QPushButton(QStringLiteral("In File"), &page);

    // Like a read: "Read" stays disabled afterwards.
    OperationControls controls() {
        OperationControls c;
        c.progress = progress;
        c.status = status;
        c.processTime = time;
        c.sector = sector;
        c.fastErase = fastErase;
        c.disabledAtStart = {write, read, inFile};
        c.enabledAtEnd = {write, inFile};
        return c;
    }
};

using Gate = nuvrel::testing::WorkerGate;

// A page with every button and check box the ROM and save RAM operations name.
struct FullPage {
    QWidget page;
    QLineEdit* sector = new QLineEdit(QStringLiteral("SA12"), &page);
    std::vector<QAbstractButton*> buttons{new QPushButton(QStringLiteral("&Write"), &page),
                                          new QPushButton(QStringLiteral("&Read"), &page),
                                          new QPushButton(QStringLiteral("&In File"), &page),
                                          new QPushButton(QStringLiteral("&Out File"), &page),
                                          new QPushButton(QStringLiteral("&Clear RAM"), &page),
                                          new QCheckBox(QStringLiteral("&Verify data"), &page),
                                          new QCheckBox(QStringLiteral("&Fast Erase"), &page)};

    OperationButtons roles() const {
        OperationButtons roles;
        roles.write = buttons[0];
        roles.read = buttons[1];
        roles.inFile = buttons[2];
        roles.outFile = buttons[3];
        roles.clearRam = buttons[4];
        roles.verify = buttons[5];
        roles.fastErase = buttons[6];
        return roles;
    }

    QStringList enabledCaptions() const {
        QStringList captions;
        for (QAbstractButton* button : buttons) {
            if (button->isEnabled()) {
                captions << button->text().remove(QLatin1Char('&'));
            }
        }
        captions.sort();
        return captions;
    }
    void disableAll() {
        for (QAbstractButton* button : buttons) {
            button->setEnabled(false);
        }
    }
};

QStringList sorted(QStringList captions) {
    captions.sort();
    return captions;
}

// A read operation as the pages run it: device, timer, file, blocks, outcome.
DeviceWork readDeviceToFile(const QString& path, int blocks) {
    return [path, blocks](OperationSink& sink) {
        DeviceHandle device = OpenVelkDevice();
        if (device == VELK_INVALID_DEVICE) {
            return;
        }
        sink.startElapsedTimer();
        std::FILE* file = std::fopen(path.toLocal8Bit().constData(), "wb");
        if (file == nullptr) {
            CloseVelkDevice(device);
            sink.stopElapsedTimer();
            return;
        }
        sink.setProgressRange(static_cast<std::uint16_t>(blocks));
        sink.setStatus("Reading");
        unsigned char block[512];
        for (int i = 0; i < blocks; ++i) {
            ReadSector(device, block, static_cast<std::uint32_t>(i) * 256u, 8);
            std::fwrite(block, 1, sizeof block, file);
            sink.setProgressPosition(static_cast<std::uint32_t>(i));
        }
        sink.setProgressPosition(0);
        sink.setStatus("Read Complite");
        std::fclose(file);
        sink.stopElapsedTimer();
        CloseVelkDevice(device);
    };
}

}  // namespace

class OperationRunnerTest : public QObject {
    Q_OBJECT

  private slots:
    void cleanup() {
        SetVelkDeviceProcessed(0);
        QCOMPARE(DeviceOperationRunner::liveWorkers(), 0);
    }

    void controls_are_disabled_while_running_and_the_table_enabled_at_the_end() {
        TestPage page;
        DeviceOperationRunner runner;
        Gate gate;
        QVERIFY(
            runner.BeginDeviceOperation(page.controls(), [&gate](OperationSink&) { gate.wait(); }));
        QVERIFY(runner.isRunning());
        QCOMPARE(IsVelkDeviceProcessed(), 1);
        QVERIFY(!page.write->isEnabled());
        QVERIFY(!page.read->isEnabled());
        QVERIFY(!page.inFile->isEnabled());
        QVERIFY(deviceInUse());

        gate.open();
        QSignalSpy ended(&runner, &DeviceOperationRunner::operationEnded);
        QVERIFY(ended.wait(5000));
        QVERIFY(!runner.isRunning());
        QCOMPARE(IsVelkDeviceProcessed(), 0);
        QVERIFY(page.write->isEnabled());
        QVERIFY(page.inFile->isEnabled());
        // "Read" is enabled again only by choosing an output file.
        QVERIFY(!page.read->isEnabled());
    }

    void each_operation_disables_and_enables_its_own_controls_data() {
        QTest::addColumn<int>("operation");
        QTest::addColumn<QStringList>("enabledWhileRunning");
        QTest::addColumn<QStringList>("enabledAfterwards");
        QTest::addColumn<bool>("sectorEmptied");
        QTest::newRow("save RAM read")
            << int(DeviceOperation::SaveRamRead)
            << QStringList{"Clear RAM", "Verify data", "Fast Erase"}
            << QStringList{"Out File", "In File", "Clear RAM", "Verify data"} << false;
        QTest::newRow("save RAM write")
            << int(DeviceOperation::SaveRamWrite) << QStringList{"Fast Erase"}
            << QStringList{"Write", "Out File", "In File", "Clear RAM", "Verify data"} << false;
        QTest::newRow("save RAM clear")
            << int(DeviceOperation::SaveRamClear) << QStringList{"Fast Erase"}
            << QStringList{"Out File", "In File", "Clear RAM", "Verify data"} << false;
        QTest::newRow("ROM read") << int(DeviceOperation::RomRead) << QStringList{"Clear RAM"}
                                  << QStringList{"Out File", "In File"} << false;
        QTest::newRow("ROM write")
            << int(DeviceOperation::RomWrite) << QStringList{"Clear RAM"}
            << QStringList{"Write", "Verify data", "Fast Erase", "Out File", "In File"} << true;
    }

    void each_operation_disables_and_enables_its_own_controls() {
        QFETCH(int, operation);
        QFETCH(QStringList, enabledWhileRunning);
        QFETCH(QStringList, enabledAfterwards);
        QFETCH(bool, sectorEmptied);
        FullPage page;
        OperationControls controls;
        controls.sector = page.sector;
        applyControlsTable(static_cast<DeviceOperation>(operation), page.roles(), controls);
        DeviceOperationRunner runner;
        Gate gate;
        QVERIFY(runner.BeginDeviceOperation(controls, [&gate](OperationSink&) { gate.wait(); }));
        QCOMPARE(page.enabledCaptions(), sorted(enabledWhileRunning));

        // What the operation enables, seen from a page on which everything was disabled.
        page.disableAll();
        gate.open();
        runner.waitUntilIdle();
        QCOMPARE(page.enabledCaptions(), sorted(enabledAfterwards));
        QCOMPARE(page.sector->text().isEmpty(), sectorEmptied);
    }

    void the_sector_field_is_emptied_after_the_pages_own_hook() {
        FullPage page;
        OperationControls controls;
        controls.sector = page.sector;
        QString sectorInHook;
        controls.beforeEnabling = [&] { sectorInHook = page.sector->text(); };
        applyControlsTable(DeviceOperation::RomWrite, page.roles(), controls);
        DeviceOperationRunner runner;
        QVERIFY(runner.BeginDeviceOperation(controls,
                                            [](OperationSink& sink) { sink.setSector("SA70"); }));
        runner.waitUntilIdle();
        QCOMPARE(sectorInHook, QStringLiteral("SA70"));
        QVERIFY(page.sector->text().isEmpty());
    }

    void a_run_that_ends_at_once_is_over_when_the_start_returns() {
        TestPage page;
        DeviceOperationRunner runner;
        // Long enough for any machine; the start returns as soon as the run has ended.
        runner.setStartWait(std::chrono::seconds(60));
        QVERIFY(runner.BeginDeviceOperation(
            page.controls(), [](OperationSink& sink) { sink.setStatus("Reading"); }));
        QVERIFY(!runner.isRunning());
        QCOMPARE(page.status->text(), QStringLiteral("Reading"));
        QVERIFY(page.write->isEnabled());
        QVERIFY(page.inFile->isEnabled());
        QCOMPARE(IsVelkDeviceProcessed(), 0);
    }

    void a_long_run_goes_on_after_the_start_wait() {
        TestPage page;
        DeviceOperationRunner runner;
        runner.setStartWait(std::chrono::milliseconds(1));
        Gate gate;
        QVERIFY(
            runner.BeginDeviceOperation(page.controls(), [&gate](OperationSink&) { gate.wait(); }));
        QVERIFY(runner.isRunning());
        QVERIFY(!page.write->isEnabled());
        gate.open();
        runner.waitUntilIdle();
        QVERIFY(page.write->isEnabled());
    }

    void a_second_start_gets_the_busy_message_and_changes_nothing() {
        TestPage page;
        TestPage other;
        other.write->setEnabled(true);
        DeviceOperationRunner runner;
        RecordingPrompts prompts;
        Gate gate;
        QVERIFY(
            runner.BeginDeviceOperation(page.controls(), [&gate](OperationSink&) { gate.wait(); }));
        std::atomic<bool> secondRan{false};
        QVERIFY(!runner.BeginDeviceOperation(other.controls(),
                                             [&secondRan](OperationSink&) { secondRan = true; }));
        QVERIFY(!runner.BeginDeviceOperation(
            other.controls(), [&secondRan](OperationSink&) { secondRan = true; }, nullptr,
            QStringLiteral("Velk Device is busy!")));

        QCOMPARE(prompts.texts(), QStringList({QStringLiteral("Velk Device is Busy!"),
                                               QStringLiteral("Velk Device is busy!")}));
        QCOMPARE(prompts.messages[0].caption, QStringLiteral("Nuvrel"));
        QCOMPARE(prompts.messages[0].icon, PromptIcon::None);
        QCOMPARE(prompts.messages[0].buttons, PromptButtons::Ok);
        QVERIFY(other.write->isEnabled());
        QVERIFY(!page.write->isEnabled());
        QVERIFY(runner.isRunning());

        gate.open();
        runner.waitUntilIdle();
        QVERIFY(!secondRan);
    }

    void a_busy_flag_set_elsewhere_refuses_the_start() {
        TestPage page;
        DeviceOperationRunner runner;
        RecordingPrompts prompts;
        SetVelkDeviceProcessed(1);
        std::atomic<bool> ran{false};
        QVERIFY(
            !runner.BeginDeviceOperation(page.controls(), [&ran](OperationSink&) { ran = true; }));
        QCOMPARE(prompts.texts(), QStringList{QStringLiteral("Velk Device is Busy!")});
        QVERIFY(page.write->isEnabled());
        QVERIFY(!runner.isRunning());
        QVERIFY(!ran);
    }

    void a_worker_whose_busy_flag_the_library_cleared_still_blocks_a_second_start() {
        TestPage page;
        DeviceOperationRunner runner;
        RecordingPrompts prompts;
        Gate gate;
        QVERIFY(runner.BeginDeviceOperation(page.controls(), [&gate](OperationSink&) {
            // What the library does when one of its commands fails.
            SetVelkDeviceProcessed(0);
            gate.wait();
        }));
        QTRY_COMPARE(IsVelkDeviceProcessed(), 0);
        QVERIFY(deviceInUse());
        QVERIFY(!runner.BeginDeviceOperation(page.controls(), [](OperationSink&) {}));
        QCOMPARE(prompts.texts(), QStringList{QStringLiteral("Velk Device is Busy!")});
        gate.open();
        runner.waitUntilIdle();
        QVERIFY(!deviceInUse());
        QVERIFY(runner.BeginDeviceOperation(page.controls(), [](OperationSink&) {}));
        runner.waitUntilIdle();
    }

    void every_update_is_applied_on_the_ui_thread_before_the_worker_goes_on() {
        TestPage page;
        DeviceOperationRunner runner;
        std::vector<QThread*> updateThreads;
        for (QLineEdit* edit : {page.status, page.sector}) {
            connect(edit, &QLineEdit::textChanged, edit,
                    [&updateThreads] { updateThreads.push_back(QThread::currentThread()); });
        }
        QString statusSeen;
        QString sectorSeen;
        int valueSeen = -1;
        int maximumSeen = -1;
        bool fastEraseSeen = false;
        QVERIFY(runner.BeginDeviceOperation(page.controls(), [&](OperationSink& sink) {
            sink.setProgressRange(40);
            sink.setProgressPosition(17);
            sink.setStatus("Writing");
            sink.setSector("SA12");
            sink.setFastErase(true);
            runOnObjectThread(&runner, [&] {
                statusSeen = page.status->text();
                sectorSeen = page.sector->text();
                valueSeen = page.progress->value();
                maximumSeen = page.progress->maximum();
                fastEraseSeen = page.fastErase->isChecked();
            });
            sink.setStatus("Write Complite");
        }));
        runner.waitUntilIdle();
        QCOMPARE(statusSeen, QStringLiteral("Writing"));
        QCOMPARE(sectorSeen, QStringLiteral("SA12"));
        QCOMPARE(valueSeen, 17);
        QCOMPARE(maximumSeen, 40);
        QVERIFY(fastEraseSeen);
        QCOMPARE(page.status->text(), QStringLiteral("Write Complite"));
        QCOMPARE(updateThreads.size(), std::size_t{3});
        for (QThread* thread : updateThreads) {
            QCOMPARE(thread, QCoreApplication::instance()->thread());
        }
    }

    void the_page_hook_runs_before_the_controls_are_enabled() {
        TestPage page;
        DeviceOperationRunner runner;
        OperationControls controls = page.controls();
        bool writeWasEnabled = true;
        controls.beforeEnabling = [&] {
            writeWasEnabled = page.write->isEnabled();
            page.sector->clear();
        };
        QVERIFY(runner.BeginDeviceOperation(controls,
                                            [](OperationSink& sink) { sink.setSector("SA70"); }));
        runner.waitUntilIdle();
        QVERIFY(!writeWasEnabled);
        QVERIFY(page.sector->text().isEmpty());
        QVERIFY(page.write->isEnabled());
    }

    void time_field_ticks_and_stays_still_after_the_timer_stops() {
        TestPage page;
        DeviceOperationRunner runner;
        runner.setTickInterval(std::chrono::milliseconds(5));
        QStringList ticks;
        connect(&runner.elapsedTimer(), &ElapsedTimer::ticked, this,
                [&ticks](const QString& text) { ticks << text; });
        Gate gate;
        QVERIFY(runner.BeginDeviceOperation(page.controls(), [&gate](OperationSink& sink) {
            sink.startElapsedTimer();
            gate.wait();
            sink.stopElapsedTimer();
        }));
        QTRY_VERIFY_WITH_TIMEOUT(ticks.size() >= 61, 20000);
        gate.open();
        runner.waitUntilIdle();

        QCOMPARE(ticks.value(0), QStringLiteral("00:00:01"));
        QCOMPARE(ticks.value(58), QStringLiteral("00:00:59"));
        QCOMPARE(ticks.value(59), QStringLiteral("00:01:00"));
        const QString last = page.time->text();
        QCOMPARE(last, ticks.last());
        const qsizetype count = ticks.size();
        QTest::qWait(60);
        QCOMPARE(ticks.size(), count);
        QCOMPARE(page.time->text(), last);

        // The next run counts from zero again.
        ticks.clear();
        Gate second;
        QVERIFY(runner.BeginDeviceOperation(page.controls(), [&second](OperationSink& sink) {
            sink.startElapsedTimer();
            second.wait();
        }));
        QTRY_VERIFY_WITH_TIMEOUT(!ticks.isEmpty(), 5000);
        QCOMPARE(ticks.first(), QStringLiteral("00:00:01"));
        second.open();
        runner.waitUntilIdle();
        // Work that forgot to stop its timer has it stopped before the operation ends.
        const qsizetype afterEnd = ticks.size();
        QTest::qWait(60);
        QCOMPARE(ticks.size(), afterEnd);
    }

    void ending_the_runner_while_its_worker_reports_lets_the_worker_finish() {
        TestPage page;
        auto runner = std::make_unique<DeviceOperationRunner>();
        Gate gate;
        std::atomic<bool> workDone{false};
        QVERIFY(runner->BeginDeviceOperation(page.controls(), [&](OperationSink& sink) {
            gate.wait();
            // Each of these needs the user-interface thread, which is inside the destructor.
            sink.setStatus("Writing");
            sink.setProgressPosition(5);
            sink.setStatus("Write Complite");
            workDone = true;
        }));
        gate.open();
        runner.reset();
        QVERIFY(workDone);
        QCOMPARE(page.status->text(), QStringLiteral("Write Complite"));
        QVERIFY(page.write->isEnabled());
        QCOMPARE(IsVelkDeviceProcessed(), 0);
    }

    void work_that_throws_still_ends_the_operation() {
        TestPage page;
        DeviceOperationRunner runner;
        QVERIFY(runner.BeginDeviceOperation(
            page.controls(), [](OperationSink&) { throw std::runtime_error("engine failure"); }));
        runner.waitUntilIdle();
        QVERIFY(page.write->isEnabled());
        QCOMPARE(IsVelkDeviceProcessed(), 0);
    }

    void without_a_device_the_run_ends_quietly_with_the_controls_enabled() {
        TestPage page;
        page.status->setText(QStringLiteral("Read Complite"));
        page.progress->setRange(0, 10);
        page.progress->setValue(3);
        QTemporaryDir folder;
        DeviceOperationRunner runner;
        RecordingPrompts prompts;
        QVERIFY(runner.BeginDeviceOperation(
            page.controls(), readDeviceToFile(folder.filePath(QStringLiteral("out.bin")), 4)));
        runner.waitUntilIdle();
        QVERIFY(prompts.messages.empty());
        QCOMPARE(page.status->text(), QStringLiteral("Read Complite"));
        QCOMPARE(page.progress->value(), 3);
        QCOMPARE(page.time->text(), QStringLiteral("00:00:00"));
        QVERIFY(page.write->isEnabled());
        QVERIFY(page.inFile->isEnabled());
        QCOMPARE(IsVelkDeviceProcessed(), 0);
    }

    void a_file_that_cannot_be_created_ends_quietly_with_the_controls_enabled() {
        velksim::SimServer sim;
        QVERIFY(sim.start());
        TestPage page;
        page.status->setText(QStringLiteral("earlier"));
        DeviceOperationRunner runner;
        RecordingPrompts prompts;
        QVERIFY(runner.BeginDeviceOperation(
            page.controls(), readDeviceToFile(QStringLiteral("/nonexistent/folder/out.bin"), 4)));
        runner.waitUntilIdle();
        QVERIFY(prompts.messages.empty());
        QCOMPARE(page.status->text(), QStringLiteral("earlier"));
        QVERIFY(page.write->isEnabled());
        QVERIFY(page.inFile->isEnabled());
        QCOMPARE(IsVelkDeviceProcessed(), 0);
        // The device was closed again: a new open and close works.
        DeviceHandle device = OpenVelkDevice();
        QVERIFY(device != VELK_INVALID_DEVICE);
        CloseVelkDevice(device);
    }

    void a_device_unplugged_mid_run_keeps_the_operation_running_until_its_worker_ends() {
        velksim::SimServer sim;
        QVERIFY(sim.start());
        TestPage page;
        DeviceOperationRunner runner;
        RecordingPrompts prompts;
        Gate gate;
        std::atomic<bool> readFailed{false};
        QVERIFY(runner.BeginDeviceOperation(page.controls(), [&](OperationSink&) {
            DeviceHandle device = OpenVelkDevice();
            if (device == VELK_INVALID_DEVICE) {
                return;
            }
            unsigned char block[512];
            sim.stop();
            readFailed = ReadSector(device, block, 0, 8) == 0;
            gate.wait();
            CloseVelkDevice(device);
        }));
        QTRY_VERIFY_WITH_TIMEOUT(readFailed.load(), 30000);
        // The failed command cleared the library's flag, but the worker still runs.
        QCOMPARE(IsVelkDeviceProcessed(), 0);
        QVERIFY(!runner.BeginDeviceOperation(page.controls(), [](OperationSink&) {}));
        QCOMPARE(prompts.texts(), QStringList{QStringLiteral("Velk Device is Busy!")});
        QVERIFY(!page.write->isEnabled());
        gate.open();
        runner.waitUntilIdle();
        QVERIFY(page.write->isEnabled());
        QVERIFY(!deviceInUse());
    }

    void a_run_clears_what_the_previous_run_left_once_it_begins() {
        TestPage page;
        page.status->setText(QStringLiteral("Write Complite"));
        page.time->setText(QStringLiteral("00:01:23"));
        QStringList statusSeen;
        QString timeAtFirstStep;
        connect(page.status, &QLineEdit::textChanged, this, [&](const QString& text) {
            statusSeen << text;
            if (text == QStringLiteral("Writing")) {
                timeAtFirstStep = page.time->text();
            }
        });
        DeviceOperationRunner runner;
        QVERIFY(runner.BeginDeviceOperation(
            page.controls(), [](OperationSink& sink) { sink.setStatus("Writing"); }));
        runner.waitUntilIdle();
        QCOMPARE(statusSeen, QStringList({QString(), QStringLiteral("Writing")}));
        QCOMPARE(timeAtFirstStep, QStringLiteral("00:00:00"));
    }

    void a_run_of_any_length_ends_at_a_fixed_position_data() {
        QTest::addColumn<int>("blocks");
        QTest::newRow("no block") << 0;
        QTest::newRow("one block") << 1;
        QTest::newRow("many blocks") << 300;
    }
    void a_run_of_any_length_ends_at_a_fixed_position() {
        QFETCH(int, blocks);
        TestPage page;
        DeviceOperationRunner runner;
        QVERIFY(runner.BeginDeviceOperation(page.controls(), [blocks](OperationSink& sink) {
            sink.setProgressRange(static_cast<std::uint16_t>(blocks));
            sink.setProgressPosition(0);
        }));
        runner.waitUntilIdle();
        // A range of 0 ... 0 is Qt's endless busy animation.
        QVERIFY(page.progress->maximum() > page.progress->minimum());
        QCOMPARE(page.progress->value(), 0);
    }

    void a_normal_run_shows_the_outcome_with_an_empty_bar() {
        velksim::SimServer sim;
        QVERIFY(sim.start());
        std::vector<std::uint8_t> pattern(2048);
        for (std::size_t i = 0; i < pattern.size(); ++i) {
            pattern[i] = static_cast<std::uint8_t>(i * 7 + 3);
        }
        sim.setRomBytes(0, pattern);
        TestPage page;
        QTemporaryDir folder;
        const QString out = folder.filePath(QStringLiteral("rom.bin"));
        DeviceOperationRunner runner;
        QVERIFY(runner.BeginDeviceOperation(page.controls(), readDeviceToFile(out, 4)));
        runner.waitUntilIdle();
        QCOMPARE(page.status->text(), QStringLiteral("Read Complite"));
        QCOMPARE(page.progress->value(), 0);
        QCOMPARE(page.progress->maximum(), 4);
        QVERIFY(page.write->isEnabled());
        QCOMPARE(IsVelkDeviceProcessed(), 0);
        QFile file(out);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        QCOMPARE(bytes, QByteArray(reinterpret_cast<const char*>(pattern.data()), 2048));
    }
};

NUVREL_GUI_TEST(OperationRunnerTest)
#include "operation_runner_test.moc"
