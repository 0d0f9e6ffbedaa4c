// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "pages/devinfo/dev_info_page.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "devinfo/device_report.h"
#include "shell/accessible_text.h"
#include "shell/group_icon.h"

namespace nuvrel {

namespace {

const QString kInitialText = QStringLiteral("No info");
const QString kBusyText = QStringLiteral("Device is busy");
const QString kNoDeviceText = QStringLiteral("no info");

template <std::size_t N>
QString recordText(const char (&text)[N]) {
    const std::string value = RecordText(text);
    return QString::fromLatin1(value.data(), static_cast<qsizetype>(value.size()));
}

struct FieldRow {
    CDevInfo::Field field;
    const char* label;
    const char* objectName;
};

// context names the group's fields where another group has the same labels.
QGroupBox* makeGroup(const QString& title, const QString& icon, const QString& context,
                     std::initializer_list<FieldRow> rows,
                     std::array<QLineEdit*, CDevInfo::FieldCount>& fields, QWidget* parent) {
    auto* group = new QGroupBox(title, parent);
    auto* outer = new QHBoxLayout(group);
    outer->addWidget(makeGroupIcon(icon, group), 0, Qt::AlignTop);
    auto* form = new QFormLayout;
    form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    form->setVerticalSpacing(2);
    for (const FieldRow& row : rows) {
        auto* edit = new QLineEdit(kInitialText, group);
        edit->setReadOnly(true);
        edit->setFrame(false);
        edit->setObjectName(QString::fromLatin1(row.objectName));
        fields[row.field] = edit;
        form->addRow(makeFieldLabel(QString::fromLatin1(row.label), edit, group, context), edit);
    }
    outer->addLayout(form, 1);
    return group;
}

}  // namespace

CDevInfo::CDevInfo(QWidget* parent) : CSheetPage(QStringLiteral("Velk Device Info"), parent) {
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(
        makeGroup(QStringLiteral("Internal ROM/RAM info"), QStringLiteral("chip"), QString(),
                  {{EraseCount, "Erasing rom(s) times (guaranded 1 000 000):", "eraseCount"},
                   {RomChips, "Internal ROM chip(s):", "romChips"},
                   {RamChips, "Internal RAM chip(s):", "ramChips"}},
                  m_fields, this));
    auto* buses = new QHBoxLayout;
    buses->addWidget(makeGroup(QStringLiteral("USB/Data BUS info"), QStringLiteral("usb"),
                               QStringLiteral("USB/data bus controller"),
                               {{DataBusFirmware, "Firmware version:", "dataBusFirmware"},
                                {DataBusCrystal, "Crystal name:", "dataBusCrystal"},
                                {DataBusBootLoader, "BootLoader version:", "dataBusBootLoader"}},
                               m_fields, this));
    buses->addWidget(
        makeGroup(QStringLiteral("Address BUS info"), QStringLiteral("address_bus"),
                  QStringLiteral("address bus controller"),
                  {{AddressBusFirmware, "Firmware version:", "addressBusFirmware"},
                   {AddressBusCrystal, "Crystal name:", "addressBusCrystal"},
                   {AddressBusBootLoader, "BootLoader version:", "addressBusBootLoader"},
                   {AddressBusSci, "SCI Inmplement version:", "addressBusSci"}},
                  m_fields, this));
    layout->addLayout(buses);

    auto* buttons = new QHBoxLayout;
    m_refresh = new QPushButton(QStringLiteral("Refresh"), this);
    m_refresh->setObjectName(QStringLiteral("refreshButton"));
    setAccessibleText(m_refresh, QStringLiteral("Refresh device information"),
                      QStringLiteral("Reads the device's information again"));
    buttons->addStretch(1);
    buttons->addWidget(m_refresh);
    layout->addLayout(buttons);
    layout->addStretch(1);

    connect(m_refresh, &QPushButton::clicked, this, &CDevInfo::refreshOnRequest);
}

void CDevInfo::onSetActive() {
    refresh();
}

void CDevInfo::refreshOnRequest() {
    const QueryProblem problem = refresh();
    if (problem.kind == DeviceProblem::Refused) {
        showDeviceProblem(this, problem);
    }
}

QueryProblem CDevInfo::refresh() {
    // A record that cannot be read shows empty fields instead: the report always answers.
    const DeviceReply<DeviceReport> reply =
        askDevice<DeviceReport>([](bool) { return ReadDeviceReport(ReportDetail::Records); },
                                [](const DeviceReport& report) {
                                    return QueryFacts{report.deviceFound, true};
                                },
                                std::string(), false);
    if (reply.problem.kind == DeviceProblem::Busy) {
        showEverywhere(kBusyText);
        return reply.problem;
    }
    m_eraseCount = 0;
    const DeviceReport& report = reply.value;
    if (!reply.ok()) {
        showEverywhere(kNoDeviceText);
        return reply.problem;
    }
    // An unreadable record shows empty fields; an unreadable counter "no info".
    m_dataBus = report.dataBus.value_or(DeviceInfoRecord{});
    m_addressBus = report.addressBus.value_or(DeviceInfoRecord{});
    m_eraseCount = report.eraseCounter ? static_cast<std::int32_t>(*report.eraseCounter) : -1;
    showValues();
    return reply.problem;
}

void CDevInfo::showEverywhere(const QString& text) {
    for (QLineEdit* edit : m_fields) {
        edit->setText(text);
    }
}

void CDevInfo::showValues() {
    m_fields[EraseCount]->setText(m_eraseCount == -1 ? kNoDeviceText
                                                     : QString::number(m_eraseCount));
    m_fields[RomChips]->setText(recordText(m_dataBus.text2));
    m_fields[RamChips]->setText(recordText(m_dataBus.text3));
    m_fields[DataBusFirmware]->setText(recordText(m_dataBus.firmwareVersion));
    m_fields[DataBusCrystal]->setText(recordText(m_dataBus.text1));
    m_fields[DataBusBootLoader]->setText(recordText(m_dataBus.bootVersion));
    m_fields[AddressBusFirmware]->setText(recordText(m_addressBus.firmwareVersion));
    m_fields[AddressBusCrystal]->setText(recordText(m_addressBus.text1));
    m_fields[AddressBusBootLoader]->setText(recordText(m_addressBus.bootVersion));
    m_fields[AddressBusSci]->setText(recordText(m_addressBus.addressText2));
    for (QLineEdit* edit : m_fields) {
        edit->setCursorPosition(0);
    }
}

}  // namespace nuvrel
