// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// One copy per user session: a second start hands over to the first and ends.
#include <QElapsedTimer>
#include <QFile>
#include <QLocalServer>
#include <QProcess>
#include <QSignalSpy>
#include <QtTest>

#include "shell/single_instance.h"
#include "support/gui_test_main.h"

using nuvrel::SingleInstance;

namespace {

const QString kTitle = QStringLiteral("Velk Series storage loader");

}  // namespace

class SingleInstanceTest : public QObject {
    Q_OBJECT

  private slots:
    void the_first_start_claims_and_a_second_asks_it_to_come_forward() {
        SingleInstance first(kTitle);
        QVERIFY(first.claim());
        QSignalSpy raised(&first, &SingleInstance::raiseRequested);

        SingleInstance second(kTitle);
        QVERIFY(!second.claim());
        QVERIFY(raised.wait(5000));
        QCOMPARE(raised.size(), 1);
    }

    void the_meeting_place_is_per_user_and_inside_the_runtime_folder() {
        SingleInstance one(kTitle);
        SingleInstance other(QStringLiteral("Some other title"));
        QCOMPARE(SingleInstance(kTitle).serverName(), one.serverName());
        QVERIFY(one.serverName() != other.serverName());
        QVERIFY(one.serverName().startsWith(qEnvironmentVariable("XDG_RUNTIME_DIR")));
    }

    void a_socket_left_by_a_crashed_copy_does_not_stop_the_program() {
        SingleInstance probe(kTitle);
        {
            QFile stale(probe.serverName());
            QVERIFY(stale.open(QIODevice::WriteOnly));
        }
        SingleInstance first(kTitle);
        QVERIFY(first.claim());
        SingleInstance second(kTitle);
        QVERIFY(!second.claim());
    }

    void a_second_program_start_ends_at_once_and_raises_the_first() {
        SingleInstance running(kTitle);
        QVERIFY(running.claim());
        QSignalSpy raised(&running, &SingleInstance::raiseRequested);

        QProcess program;
        program.setProcessEnvironment(QProcessEnvironment::systemEnvironment());
        program.start(QStringLiteral(NUVREL_PROGRAM_PATH), {});
        QVERIFY(program.waitForStarted(10000));
        // The second copy shows nothing and ends by itself; the bound is generous for slow CI.
        QVERIFY(raised.wait(30000));
        QVERIFY(program.waitForFinished(30000));
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), 0);
    }
};

NUVREL_GUI_TEST(SingleInstanceTest)
#include "single_instance_test.moc"
