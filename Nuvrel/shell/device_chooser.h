// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later
//
// The device every page's operations use, chosen from the attached devices as the command line's
// devices list shows them. The list follows plugging and unplugging: while no operation runs, a
// light listing (nothing opened) is taken every poll interval, and only a change of the devices
// present lists them again with a brief open to learn whether each can be used. The choice holds
// for the session and is remembered by serial number (or name) across restarts; a chosen device
// that is unplugged stays chosen, so nothing is ever sent to another device in its place.
#pragma once

#include <QString>
#include <QTimer>
#include <QWidget>
#include <chrono>
#include <string>
#include <vector>

class QComboBox;

namespace nuvrel {

class DeviceChooser : public QWidget {
    Q_OBJECT

  public:
    explicit DeviceChooser(QWidget* parent = nullptr);

    QComboBox* list() const { return m_list; }
    // The chosen device's name ("1-4.2", "sim:NAME"), or its serial number before it was seen.
    QString chosenName() const { return m_chosenName; }

    // Lists the devices again now; nothing happens while an operation holds the device.
    void relist();
    // Lists them again when devices were plugged in or out since (a light listing, nothing
    // opened); what the poll timer does.
    void followPlugging();
    void setPollInterval(std::chrono::milliseconds interval) { m_poll.setInterval(interval); }

  signals:
    void chosenChanged(const QString& name);

  private:
    void takeChoice(int index);
    // Hands the choice to the library: the next open takes that device and no other.
    void applyChoice();

    QComboBox* m_list = nullptr;
    QTimer m_poll;
    // Paths of the devices at the last listing, to notice plugging without opening anything.
    std::vector<std::string> m_seenPaths;
    // Serial number or name; empty until a device was chosen or taken as the first one.
    QString m_identity;
    QString m_chosenName;
};

}  // namespace nuvrel
