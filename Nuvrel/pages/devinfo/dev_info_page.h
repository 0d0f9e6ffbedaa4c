// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The "Velk Device Info" page: the device's erase counter, its chips and the versions and
// crystals of its two controllers. It only reads from the device, each time the page is brought
// to the front and on "Refresh"; only "Refresh" says why a device that is there could not be
// opened (another program has it, no permission).
#pragma once

#include <QString>
#include <array>
#include <cstdint>

#include "devinfo/device_report.h"
#include "shell/device_query.h"
#include "shell/sheet_page.h"

class QLineEdit;
class QPushButton;

namespace nuvrel {

class CDevInfo : public CSheetPage {
    Q_OBJECT

  public:
    // The ten value fields, top to bottom.
    enum Field {
        EraseCount,
        RomChips,
        RamChips,
        DataBusFirmware,
        DataBusCrystal,
        DataBusBootLoader,
        AddressBusFirmware,
        AddressBusCrystal,
        AddressBusBootLoader,
        AddressBusSci,
        FieldCount
    };

    explicit CDevInfo(QWidget* parent = nullptr);

    // Reads the device and shows what it says; quiet about why a device could not be opened,
    // which it returns.
    QueryProblem refresh();

    QLineEdit* field(Field which) const { return m_fields[which]; }
    QPushButton* refreshButton() const { return m_refresh; }

  protected:
    void onSetActive() override;

  private:
    void refreshOnRequest();
    void showEverywhere(const QString& text);
    void showValues();

    std::array<QLineEdit*, FieldCount> m_fields{};
    QPushButton* m_refresh = nullptr;

    DeviceInfoRecord m_dataBus{};
    DeviceInfoRecord m_addressBus{};
    std::int32_t m_eraseCount = 0;
};

}  // namespace nuvrel
