// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The "Process Time:" text after a number of ticks.
#include <QtTest>

#include "shell/elapsed_time.h"
#include "support/gui_test_main.h"

using nuvrel::ElapsedTime;

namespace {

QString afterTicks(long ticks) {
    ElapsedTime time;
    for (long i = 0; i < ticks; ++i) {
        time.tick();
    }
    return time.text();
}

}  // namespace

class ElapsedTimeTest : public QObject {
    Q_OBJECT

  private slots:
    void text_after_ticks_data() {
        QTest::addColumn<int>("ticks");
        QTest::addColumn<QString>("text");
        QTest::newRow("not started") << 0 << "00:00:00";
        QTest::newRow("first tick") << 1 << "00:00:01";
        QTest::newRow("59 ticks") << 59 << "00:00:59";
        QTest::newRow("a minute") << 60 << "00:01:00";
        QTest::newRow("one hour less a tick") << 3599 << "00:59:59";
        QTest::newRow("an hour") << 3600 << "01:00:00";
        QTest::newRow("three digit hours") << 100 * 3600 + 61 << "100:01:01";
        QTest::newRow("hours wrap after eight bits") << 256 * 3600 + 5 << "00:00:05";
    }

    void text_after_ticks() {
        QFETCH(int, ticks);
        QFETCH(QString, text);
        QCOMPARE(afterTicks(ticks), text);
    }

    void reset_counts_from_zero_again() {
        ElapsedTime time;
        for (int i = 0; i < 75; ++i) {
            time.tick();
        }
        time.reset();
        time.tick();
        QCOMPARE(time.text(), QStringLiteral("00:00:01"));
    }
};

NUVREL_GUI_TEST(ElapsedTimeTest)
#include "elapsed_time_test.moc"
