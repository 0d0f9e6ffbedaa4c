// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later
//
// The window's device list with two virtual devices: what it lists, that a choice is the device
// the library then talks to (and no other), that it is remembered, and that plugging and
// unplugging are followed without another device taking the chosen one's place.
#include <velk_series/velk_series.h>
#include <velk_sim/sim_harness.h>
#include <QComboBox>
#include <QtTest>
#include <memory>

#include "engine/device_capacity.h"
#include "shell/device_chooser.h"
#include "shell/settings_store.h"
#include "support/gui_test_main.h"

using namespace nuvrel;

namespace {

std::unique_ptr<velksim::SimServer> plugged(const char* name) {
    velksim::ServerOptions options;
    options.name = name;
    auto sim = std::make_unique<velksim::SimServer>(velksim::DeviceConfig{}, options);
    if (!sim->start()) {
        return nullptr;
    }
    return sim;
}

int indexShowing(const QComboBox* list, const QString& name) {
    for (int i = 0; i < list->count(); ++i) {
        if (list->itemText(i).startsWith(name + QStringLiteral("  "))) {
            return i;
        }
    }
    return -1;
}

// Whether an operation's query now reaches `to` and leaves `other` alone.
bool queryReaches(velksim::SimServer& to, velksim::SimServer& other) {
    to.clearCommandLog();
    other.clearCommandLog();
    const DeviceCapacity capacity = QueryDeviceCapacity(false);
    return capacity.romBytes != 0 && !to.commandLog().empty() && other.commandLog().empty();
}

}  // namespace

class DeviceChooserTest : public QObject {
    Q_OBJECT

  private slots:
    void init() {
        WriteSettingString(QString::fromLatin1(SettingsKey), QString::fromLatin1(kChosenDevice),
                           QString());
        SelectVelkDevice(nullptr);
        m_left = plugged("left");
        m_right = plugged("right");
        QVERIFY(m_left && m_right);
    }
    void cleanup() {
        m_left.reset();
        m_right.reset();
    }

    void both_devices_are_listed_and_the_chosen_one_alone_is_used_and_remembered() {
        DeviceChooser chooser;
        QComboBox* list = chooser.list();
        QCOMPARE(list->count(), 2);
        QVERIFY(list->itemText(indexShowing(list, QStringLiteral("sim:left"))).endsWith("ready"));
        // Without a choice the first device is the session's.
        QCOMPARE(chooser.chosenName(), QStringLiteral("sim:left"));
        QVERIFY(queryReaches(*m_left, *m_right));

        list->setCurrentIndex(indexShowing(list, QStringLiteral("sim:right")));
        QCOMPARE(chooser.chosenName(), QStringLiteral("sim:right"));
        QVERIFY(queryReaches(*m_right, *m_left));

        // The next start takes the remembered device, whatever comes first in the list.
        SelectVelkDevice(nullptr);
        DeviceChooser restarted;
        QCOMPARE(restarted.chosenName(), QStringLiteral("sim:right"));
        QVERIFY(queryReaches(*m_right, *m_left));
    }

    void an_unplugged_choice_stays_chosen_and_the_other_device_is_left_alone() {
        DeviceChooser chooser;
        chooser.list()->setCurrentIndex(indexShowing(chooser.list(), QStringLiteral("sim:right")));
        m_right->stop();
        chooser.followPlugging();
        QCOMPARE(chooser.list()->count(), 2);
        QCOMPARE(chooser.list()->currentText(), QStringLiteral("sim:right  not attached"));
        m_left->clearCommandLog();
        QCOMPARE(QueryDeviceCapacity(false).romBytes, 0u);
        QVERIFY(m_left->commandLog().empty());

        // Plugged in again, it is found by the poll and used again.
        chooser.setPollInterval(std::chrono::milliseconds(10));
        QVERIFY(m_right->start());
        QTRY_VERIFY(chooser.list()->currentText().endsWith(QStringLiteral("ready")));
        QCOMPARE(chooser.chosenName(), QStringLiteral("sim:right"));
        QVERIFY(queryReaches(*m_right, *m_left));
    }

  private:
    std::unique_ptr<velksim::SimServer> m_left;
    std::unique_ptr<velksim::SimServer> m_right;
};

NUVREL_GUI_TEST(DeviceChooserTest)

#include "device_chooser_test.moc"
