// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The "Velk Device Info" page against a virtual device.
#include <velk_series/velk_series.h>
#include <velk_sim/sim_harness.h>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>
#include <optional>

#include "pages/devinfo/dev_info_page.h"
#include "shell/library_messages.h"
#include "support/gui_test_main.h"
#include "support/recording_prompts.h"

using nuvrel::CDevInfo;

namespace {

QStringList allFields(const CDevInfo& page) {
    QStringList texts;
    for (int i = 0; i < CDevInfo::FieldCount; ++i) {
        texts << page.field(static_cast<CDevInfo::Field>(i))->text();
    }
    return texts;
}

QStringList repeated(const QString& text) {
    QStringList texts;
    for (int i = 0; i < CDevInfo::FieldCount; ++i) {
        texts << text;
    }
    return texts;
}

velksim::DeviceConfig describedDevice() {
    velksim::DeviceConfig config;
    config.romChipText = "0100F922";
    config.ramChipText = "FM18L08";
    config.dataBusFirmware = {2, 6, 9, 'c'};
    config.dataBusBoot = {1, 0, 2, 'b'};
    config.dataBusCrystal = "12.000MHz";
    config.addressBusFirmware = {1, 3, 2, 'a'};
    config.addressBusBoot = {1, 0, 1, 'b'};
    config.addressBusCrystal = "24.000MHz";
    config.sciVersion = "SCI 1.04";
    config.eraseCounterStart = 1234;
    return config;
}

}  // namespace

class DevInfoPageTest : public QObject {
    Q_OBJECT

  private slots:
    void cleanup() { SetVelkDeviceProcessed(0); }

    void every_field_starts_as_no_info() {
        CDevInfo page;
        QCOMPARE(allFields(page), repeated(QStringLiteral("No info")));
        QCOMPARE(page.caption(), QStringLiteral("Velk Device Info"));
    }

    void groups_and_labels_read_as_on_the_device_page() {
        CDevInfo page;
        const std::vector<std::pair<QString, QStringList>> expected{
            {"Internal ROM/RAM info",
             {"Erasing rom(s) times (guaranded 1 000 000):", "Internal ROM chip(s):",
              "Internal RAM chip(s):"}},
            {"USB/Data BUS info", {"Firmware version:", "Crystal name:", "BootLoader version:"}},
            {"Address BUS info",
             {"Firmware version:", "Crystal name:", "BootLoader version:",
              "SCI Inmplement version:"}}};
        const QList<QGroupBox*> groups = page.findChildren<QGroupBox*>();
        QCOMPARE(groups.size(), qsizetype(3));
        int field = 0;
        for (const auto& [title, labels] : expected) {
            QGroupBox* group = nullptr;
            for (QGroupBox* candidate : groups) {
                if (candidate->title() == title) {
                    group = candidate;
                }
            }
            QVERIFY2(group != nullptr, qPrintable(title));
            const QFormLayout* form = group->findChild<QFormLayout*>();
            QVERIFY(form != nullptr);
            for (const QString& label : labels) {
                // Fields in the order of the page's Field values, each beside its label.
                QLineEdit* edit = page.field(static_cast<CDevInfo::Field>(field++));
                QVERIFY(group->isAncestorOf(edit));
                auto* caption = qobject_cast<QLabel*>(form->labelForField(edit));
                QVERIFY(caption != nullptr);
                QCOMPARE(caption->text(), label);
            }
            int pictures = 0;
            for (QLabel* picture : group->findChildren<QLabel*>()) {
                pictures += picture->pixmap().isNull() ? 0 : 1;
            }
            QCOMPARE(pictures, 1);
        }
        QCOMPARE(field, int(CDevInfo::FieldCount));
        QCOMPARE(page.refreshButton()->text(), QStringLiteral("Refresh"));
    }

    void a_normal_device_fills_all_ten_fields() {
        velksim::SimServer sim(describedDevice());
        QVERIFY(sim.start());
        CDevInfo page;
        page.refreshButton()->click();
        const QStringList fields = allFields(page);
        QCOMPARE(fields[CDevInfo::EraseCount], QStringLiteral("1234"));
        QCOMPARE(fields[CDevInfo::RomChips], QStringLiteral("0100F922"));
        QCOMPARE(fields[CDevInfo::RamChips], QStringLiteral("FM18L08"));
        QCOMPARE(fields[CDevInfo::DataBusFirmware], QStringLiteral("02.06.09c"));
        QCOMPARE(fields[CDevInfo::DataBusCrystal], QStringLiteral("12.000MHz"));
        QCOMPARE(fields[CDevInfo::DataBusBootLoader], QStringLiteral("01.00.02b"));
        QCOMPARE(fields[CDevInfo::AddressBusFirmware], QStringLiteral("01.03.02a"));
        QCOMPARE(fields[CDevInfo::AddressBusCrystal], QStringLiteral("24.000MHz"));
        QCOMPARE(fields[CDevInfo::AddressBusBootLoader], QStringLiteral("01.00.01b"));
        QCOMPARE(fields[CDevInfo::AddressBusSci], QStringLiteral("SCI 1.04"));
        QVERIFY(sim.protocolErrors().empty());
        // The page only reads: nothing was written to the device.
        QCOMPARE(sim.eraseCounter(), 1234u);
    }

    void page_activation_refreshes_like_the_button() {
        velksim::SimServer sim(describedDevice());
        QVERIFY(sim.start());
        CDevInfo page;
        page.activate();
        QCOMPARE(page.field(CDevInfo::DataBusCrystal)->text(), QStringLiteral("12.000MHz"));
    }

    void a_device_answering_only_the_data_bus_leaves_the_address_bus_fields_empty() {
        velksim::SimServer sim(describedDevice());
        QVERIFY(sim.start());
        // Count the transfers of the two queries as a refresh makes them, then swallow the
        // last one of the address-bus query.
        std::uint64_t addressBusTransfer = 0;
        {
            DeviceHandle device = OpenVelkDevice();
            QVERIFY(device != VELK_INVALID_DEVICE);
            DeviceInfoRecord record{};
            sim.setFaults({});
            ReadDeviceInfo(device, &record, VELK_SELECTOR_DATA_BUS);
            const std::uint64_t dataBusTransfers = sim.transferCount();
            ReadDeviceInfo(device, &record, VELK_SELECTOR_ADDRESS_BUS);
            addressBusTransfer = sim.transferCount();
            CloseVelkDevice(device);
            QVERIFY(addressBusTransfer > dataBusTransfers);
        }
        velksim::FaultOptions faults;
        faults.stallTransfer = addressBusTransfer;
        faults.stallTimesOutAtOnce = true;
        sim.setFaults(faults);
        sim.clearCommandLog();

        CDevInfo page;
        page.refresh();
        const QStringList fields = allFields(page);
        QCOMPARE(fields[CDevInfo::DataBusFirmware], QStringLiteral("02.06.09c"));
        QCOMPARE(fields[CDevInfo::RomChips], QStringLiteral("0100F922"));
        QCOMPARE(fields[CDevInfo::DataBusCrystal], QStringLiteral("12.000MHz"));
        for (CDevInfo::Field field : {CDevInfo::AddressBusFirmware, CDevInfo::AddressBusCrystal,
                                      CDevInfo::AddressBusBootLoader, CDevInfo::AddressBusSci}) {
            QCOMPARE(page.field(field)->text(), QString());
        }
        // The failed read ends the refresh: the counter is not asked for and stays unknown.
        QCOMPARE(fields[CDevInfo::EraseCount], QStringLiteral("no info"));
        QCOMPARE(sim.commandLog().back().name, std::string("ReadDeviceInfo"));
    }

    void a_busy_device_is_left_alone_and_every_field_says_so() {
        velksim::SimServer sim(describedDevice());
        QVERIFY(sim.start());
        CDevInfo page;
        sim.clearCommandLog();
        SetVelkDeviceProcessed(1);
        page.refresh();
        QCOMPARE(allFields(page), repeated(QStringLiteral("Device is busy")));
        QVERIFY(sim.commandLog().empty());
        // After the operation "Refresh" shows the values.
        SetVelkDeviceProcessed(0);
        page.refresh();
        QCOMPARE(page.field(CDevInfo::EraseCount)->text(), QStringLiteral("1234"));
    }

    // Another program (a running nuvrel-cli, say) has the device. Coming to the front the page
    // shows "no info" quietly; "Refresh", the user asking, says why.
    void a_device_another_program_holds_is_explained_on_refresh_only() {
        velksim::SimServer sim(describedDevice());
        QVERIFY(sim.start());
        std::optional<velksim::OtherHost> holder(std::in_place, sim.socketPath());
        QVERIFY(holder->holds());
        nuvrel::installLibraryMessageHandler(this);
        nuvrel::testing::RecordingPrompts prompts;
        CDevInfo page;
        page.activate();
        QCOMPARE(allFields(page), repeated(QStringLiteral("no info")));
        QVERIFY(prompts.messages.empty());

        page.refreshButton()->click();
        QCOMPARE(prompts.texts(),
                 QStringList{QStringLiteral("Velk device in use by another program")});
        QCOMPARE(prompts.messages[0].icon, nuvrel::PromptIcon::Information);
        QCOMPARE(prompts.messages[0].caption, QStringLiteral("Nuvrel"));

        holder.reset();
        page.refreshButton()->click();
        QCOMPARE(page.field(CDevInfo::EraseCount)->text(), QStringLiteral("1234"));
        QCOMPARE(prompts.messages.size(), std::size_t{1});
        nuvrel::removeLibraryMessageHandler();
    }

    void without_a_device_every_field_says_no_info() {
        CDevInfo page;
        page.refresh();
        QCOMPARE(allFields(page), repeated(QStringLiteral("no info")));
    }

    void a_never_written_counter_shows_what_the_library_stored() {
        velksim::DeviceConfig config = describedDevice();
        config.eraseCounterStart = 0xFFFFFFFFu;
        velksim::SimServer sim(config);
        QVERIFY(sim.start());
        CDevInfo page;
        page.refresh();
        QCOMPARE(page.field(CDevInfo::EraseCount)->text(), QStringLiteral("0"));
    }

    void a_counter_with_the_top_bit_set_shows_negative() {
        velksim::DeviceConfig config = describedDevice();
        config.eraseCounterStart = 0x80000005u;
        velksim::SimServer sim(config);
        QVERIFY(sim.start());
        CDevInfo page;
        page.refresh();
        QCOMPARE(page.field(CDevInfo::EraseCount)->text(), QStringLiteral("-2147483643"));
    }
};

NUVREL_GUI_TEST(DevInfoPageTest)
#include "dev_info_page_test.moc"
