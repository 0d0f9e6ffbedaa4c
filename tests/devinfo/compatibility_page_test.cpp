// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The "Compatibility setup" page against a virtual device: what it shows and what it sends.
#include <velk_series/velk_series.h>
#include <velk_sim/sim_harness.h>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

#include "pages/devinfo/compatibility_page.h"
#include "shell/library_messages.h"
#include "support/gui_test_main.h"
#include "support/recording_prompts.h"

using nuvrel::CCompatibility;

namespace {

velksim::DeviceConfig brivo(std::uint8_t storedSet) {
    velksim::DeviceConfig config;
    config.model = 'c';
    config.compatibilitySet = storedSet;
    return config;
}

// Compatibility values the device received, in order.
std::vector<int> compatibilityValuesSent(const velksim::SimServer& sim) {
    std::vector<int> values;
    for (const auto& command : sim.commandLog()) {
        if (command.name == "Compatibility") {
            values.push_back(command.parameter);
        }
    }
    return values;
}

bool setsEnabled(const CCompatibility& page) {
    bool all = true;
    for (int i = 0; i < CCompatibility::SetCount; ++i) {
        const auto set = static_cast<CCompatibility::Set>(i);
        all = all && page.frame(set)->isEnabled() && page.radio(set)->isEnabled();
    }
    return all && page.setButton()->isEnabled();
}

bool setsDisabled(const CCompatibility& page) {
    bool none = true;
    for (int i = 0; i < CCompatibility::SetCount; ++i) {
        const auto set = static_cast<CCompatibility::Set>(i);
        none = none && !page.frame(set)->isEnabled() && !page.radio(set)->isEnabled();
    }
    return none && !page.setButton()->isEnabled();
}

QList<bool> checked(const CCompatibility& page) {
    return {page.radio(CCompatibility::Set16US)->isChecked(),
            page.radio(CCompatibility::Set32U)->isChecked(),
            page.radio(CCompatibility::Set32UF)->isChecked()};
}

}  // namespace

class CompatibilityPageTest : public QObject {
    Q_OBJECT

  private slots:
    void cleanup() { SetVelkDeviceProcessed(0); }

    void captions_are_the_three_sets() {
        CCompatibility page;
        QCOMPARE(page.caption(), QStringLiteral("Compatibility setup"));
        QCOMPARE(page.radio(CCompatibility::Set16US)->text(),
                 QStringLiteral("16Velk+US compatibility set"));
        QCOMPARE(page.radio(CCompatibility::Set32U)->text(),
                 QStringLiteral("32Velk+U compatibility set"));
        QCOMPARE(page.radio(CCompatibility::Set32UF)->text(),
                 QStringLiteral("32Velk+UF compatibility set"));
        QCOMPARE(checked(page), QList<bool>({false, false, false}));
    }

    void each_set_has_its_icon_and_description() {
        CCompatibility page;
        const QStringList descriptions{
            "Use this compatibility set if rom have size low or equal 16 Megabit, save supported.",
            "Use this compatibility set if rom have size low or equal 32 Megabit and no need save "
            "support",
            "Use this compatibility set if rom have size low or equal 32 Megabit and need save "
            "support, like \"Story Of Thor\" game and etc."};
        for (int i = 0; i < CCompatibility::SetCount; ++i) {
            QGroupBox* frame = page.frame(static_cast<CCompatibility::Set>(i));
            QStringList texts;
            int pictures = 0;
            for (QLabel* label : frame->findChildren<QLabel*>()) {
                if (!label->pixmap().isNull()) {
                    ++pictures;
                } else {
                    texts << label->text();
                }
            }
            QCOMPARE(texts, QStringList{descriptions[i]});
            QCOMPARE(pictures, 1);
        }
    }

    void a_device_reporting_no_set_keeps_the_earlier_selection() {
        velksim::SimServer sim(brivo(1));
        QVERIFY(sim.start());
        CCompatibility page;
        page.refresh();
        QCOMPARE(checked(page), QList<bool>({false, true, false}));
        // Store "no set" behind the page's back.
        DeviceHandle device = OpenVelkDevice();
        QVERIFY(device != VELK_INVALID_DEVICE);
        Compatibility(device, VELK_COMPAT_STORE_BASE);
        CloseVelkDevice(device);
        QCOMPARE(sim.compatibilitySet(), 0);

        page.refreshButton()->click();
        QCOMPARE(checked(page), QList<bool>({false, true, false}));
    }

    void the_page_never_shows_a_message() {
        nuvrel::testing::RecordingPrompts prompts;
        {
            CCompatibility page;
            page.refresh();
            page.store();
        }
        velksim::SimServer sim(brivo(3));
        QVERIFY(sim.start());
        CCompatibility page;
        page.refresh();
        page.setButton()->click();
        SetVelkDeviceProcessed(1);
        page.refresh();
        page.store();
        QVERIFY(prompts.messages.empty());
    }

    // Another program takes the device while the page shows it: "Set" and "Refresh" say why
    // they could not reach it; the page coming to the front is disabled quietly.
    void a_device_another_program_holds_is_explained_on_set_and_refresh_only() {
        velksim::SimServer sim(brivo(3));
        QVERIFY(sim.start());
        nuvrel::installLibraryMessageHandler(this);
        nuvrel::testing::RecordingPrompts prompts;
        CCompatibility page;
        page.activate();
        QVERIFY(setsEnabled(page));
        const velksim::OtherHost holder(sim.socketPath());
        QVERIFY(holder.holds());
        sim.clearCommandLog();

        page.setButton()->click();
        QCOMPARE(prompts.texts(),
                 QStringList{QStringLiteral("Velk device in use by another program")});
        QCOMPARE(prompts.messages[0].icon, nuvrel::PromptIcon::Information);
        page.activate();
        QVERIFY(setsDisabled(page));
        QCOMPARE(prompts.messages.size(), std::size_t{1});
        page.refreshButton()->click();
        QCOMPARE(prompts.messages.size(), std::size_t{2});
        QVERIFY(sim.commandLog().empty());
        QCOMPARE(sim.compatibilitySet(), 3);
        nuvrel::removeLibraryMessageHandler();
    }

    void refresh_selects_the_stored_set_data() {
        QTest::addColumn<int>("stored");
        QTest::addColumn<QList<bool>>("expected");
        QTest::newRow("32Velk+U") << 1 << QList<bool>{false, true, false};
        QTest::newRow("32Velk+UF") << 2 << QList<bool>{false, false, true};
        QTest::newRow("16Velk+US") << 3 << QList<bool>{true, false, false};
        QTest::newRow("none stored") << 0 << QList<bool>{false, false, false};
    }

    void refresh_selects_the_stored_set() {
        QFETCH(int, stored);
        QFETCH(QList<bool>, expected);
        velksim::SimServer sim(brivo(static_cast<std::uint8_t>(stored)));
        QVERIFY(sim.start());
        CCompatibility page;
        sim.clearCommandLog();
        page.activate();
        QVERIFY(setsEnabled(page));
        QCOMPARE(checked(page), expected);
        QCOMPARE(compatibilityValuesSent(sim), std::vector<int>{0x80});
    }

    void set_stores_the_selected_set_in_the_device() {
        velksim::SimServer sim(brivo(1));
        QVERIFY(sim.start());
        CCompatibility page;
        page.refresh();
        page.radio(CCompatibility::Set16US)->click();
        QCOMPARE(checked(page), QList<bool>({true, false, false}));
        sim.clearCommandLog();
        page.setButton()->click();
        QCOMPARE(compatibilityValuesSent(sim), std::vector<int>{0x43});
        QCOMPARE(sim.compatibilitySet(), 3);

        page.radio(CCompatibility::Set32UF)->click();
        sim.clearCommandLog();
        page.setButton()->click();
        QCOMPARE(compatibilityValuesSent(sim), std::vector<int>{0x42});
        QCOMPARE(sim.compatibilitySet(), 2);

        // The stored set shows after "Refresh".
        page.radio(CCompatibility::Set32U)->click();
        page.refreshButton()->click();
        QCOMPARE(checked(page), QList<bool>({false, false, true}));
    }

    void a_set_the_device_does_not_answer_is_said() {
        velksim::SimServer sim(brivo(1));
        QVERIFY(sim.start());
        nuvrel::testing::RecordingPrompts prompts;
        CCompatibility page;
        page.refresh();
        page.radio(CCompatibility::Set16US)->click();
        velksim::FaultOptions faults;
        faults.stallTransfer = 4;  // the model query's two transfers, then the store's answer
        faults.stallTimesOutAtOnce = true;
        sim.setFaults(faults);
        page.setButton()->click();
        QCOMPARE(prompts.texts(),
                 QStringList{QStringLiteral("Device not answering: compatibility set")});
        QCOMPARE(prompts.messages[0].icon, nuvrel::PromptIcon::Error);
    }

    void set_with_nothing_selected_sends_0x40() {
        velksim::SimServer sim(brivo(0));
        QVERIFY(sim.start());
        CCompatibility page;
        page.refresh();
        sim.clearCommandLog();
        page.setButton()->click();
        QCOMPARE(compatibilityValuesSent(sim), std::vector<int>{0x40});
    }

    void while_busy_only_refresh_stays_usable_and_nothing_is_sent() {
        velksim::SimServer sim(brivo(2));
        QVERIFY(sim.start());
        CCompatibility page;
        sim.clearCommandLog();
        SetVelkDeviceProcessed(1);
        page.refresh();
        QVERIFY(setsDisabled(page));
        QVERIFY(page.refreshButton()->isEnabled());
        page.store();
        QVERIFY(sim.commandLog().empty());

        SetVelkDeviceProcessed(0);
        page.refreshButton()->click();
        QVERIFY(setsEnabled(page));
        QCOMPARE(checked(page), QList<bool>({false, false, true}));
    }

    void another_model_keeps_the_page_disabled_and_sends_no_compatibility_command() {
        velksim::DeviceConfig config = brivo(1);
        config.model = 'e';
        config.dataBusFirmware.suffix = 'e';
        velksim::SimServer sim(config);
        QVERIFY(sim.start());
        CCompatibility page;
        sim.clearCommandLog();
        page.refresh();
        QVERIFY(setsDisabled(page));
        page.store();
        QVERIFY(compatibilityValuesSent(sim).empty());
        QCOMPARE(sim.compatibilitySet(), 1);
    }

    void without_a_device_the_page_is_disabled() {
        CCompatibility page;
        page.refresh();
        QVERIFY(setsDisabled(page));
        QVERIFY(page.refreshButton()->isEnabled());
    }
};

NUVREL_GUI_TEST(CompatibilityPageTest)
#include "compatibility_page_test.moc"
