// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/device_chooser.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QSignalBlocker>

#include "engine/device_listing.h"
#include "shell/accessible_text.h"
#include "shell/device_busy.h"
#include "shell/settings_store.h"

namespace nuvrel {

namespace {

constexpr int kIdentityRole = Qt::UserRole;
constexpr int kNameRole = Qt::UserRole + 1;

std::vector<VelkDeviceListing> velkDevices(std::uint32_t flags) {
    std::vector<VelkDeviceListing> devices = ListDevices(flags);
    std::erase_if(devices, [](const VelkDeviceListing& device) { return device.listed == 0; });
    return devices;
}

std::vector<std::string> pathsOf(const std::vector<VelkDeviceListing>& devices) {
    std::vector<std::string> paths;
    for (const VelkDeviceListing& device : devices) {
        paths.emplace_back(device.path);
    }
    return paths;
}

}  // namespace

DeviceChooser::DeviceChooser(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("deviceChooser"));
    m_list = new QComboBox(this);
    m_list->setObjectName(QStringLiteral("deviceList"));
    m_list->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_list->setMinimumContentsLength(40);
    setAccessibleText(m_list, QStringLiteral("Device"),
                      QStringLiteral("The attached device that every page's operations use"));
    auto* label = new QLabel(QStringLiteral("&Device:"), this);
    label->setBuddy(m_list);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(label);
    layout->addWidget(m_list, 1);

    QString remembered;
    if (ReadSettingString(QString::fromLatin1(SettingsKey), QString::fromLatin1(kChosenDevice),
                          remembered)) {
        m_identity = remembered;
        m_chosenName = remembered;
    }
    // Keys step through the list without opening it; each step is a choice.
    connect(m_list, &QComboBox::currentIndexChanged, this, &DeviceChooser::takeChoice);
    m_poll.setInterval(std::chrono::seconds(2));
    connect(&m_poll, &QTimer::timeout, this, &DeviceChooser::followPlugging);
    m_poll.start();
    relist();
}

void DeviceChooser::followPlugging() {
    // The listing itself talks to the USB bus and the library; an operation has it to itself.
    if (deviceInUse()) {
        return;
    }
    if (pathsOf(velkDevices(0)) != m_seenPaths) {
        relist();
    }
}

void DeviceChooser::relist() {
    if (deviceInUse()) {
        return;
    }
    const std::vector<VelkDeviceListing> devices = velkDevices(VELK_LIST_TRY_OPEN);
    m_seenPaths = pathsOf(devices);
    if (m_identity.isEmpty() && !devices.empty()) {
        // Without a choice the first device is taken for the session, so that a device plugged
        // in later never takes its place unasked.
        m_identity = QString::fromStdString(DeviceIdentity(devices.front()));
    }
    const QSignalBlocker blocker(m_list);
    m_list->clear();
    int chosen = -1;
    for (const VelkDeviceListing& device : devices) {
        const QString identity = QString::fromStdString(DeviceIdentity(device));
        m_list->addItem(QString::fromStdString(DeviceLine(device, true)));
        const int index = m_list->count() - 1;
        m_list->setItemData(index, identity, kIdentityRole);
        m_list->setItemData(index, QString::fromLatin1(device.name), kNameRole);
        if (identity == m_identity && chosen < 0) {
            chosen = index;
        }
    }
    if (chosen < 0 && !m_identity.isEmpty()) {
        // The chosen device is not attached: it stays chosen, and says so.
        m_list->addItem(m_chosenName + QStringLiteral("  not attached"));
        chosen = m_list->count() - 1;
        m_list->setItemData(chosen, m_identity, kIdentityRole);
        m_list->setItemData(chosen, m_chosenName, kNameRole);
    }
    if (chosen < 0) {
        m_list->addItem(QStringLiteral("No Velk device found"));
        chosen = 0;
    }
    m_list->setCurrentIndex(chosen);
    const QString name = m_list->itemData(chosen, kNameRole).toString();
    const bool changed = name != m_chosenName;
    m_chosenName = name.isEmpty() ? m_chosenName : name;
    applyChoice();
    if (changed) {
        emit chosenChanged(m_chosenName);
    }
}

void DeviceChooser::takeChoice(int index) {
    const QString identity = m_list->itemData(index, kIdentityRole).toString();
    if (identity.isEmpty() || deviceInUse()) {
        // "No Velk device found", or an operation holds the device it started with.
        relist();
        return;
    }
    m_identity = identity;
    m_chosenName = m_list->itemData(index, kNameRole).toString();
    WriteSettingString(QString::fromLatin1(SettingsKey), QString::fromLatin1(kChosenDevice),
                       m_identity);
    applyChoice();
    emit chosenChanged(m_chosenName);
}

void DeviceChooser::applyChoice() {
    if (!m_identity.isEmpty()) {
        ChooseDevice(m_identity.toStdString());
    }
}

}  // namespace nuvrel
