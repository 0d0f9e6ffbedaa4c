// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The "Compatibility setup" page: shows the compatibility set stored in a Brivo device and stores
// another. On other models, and while the device is in use, the page is disabled. "Refresh" and
// "Set" say why a device that is there could not be opened (another program has it, no
// permission); the page coming to the front does not.
#pragma once

#include <array>
#include <cstdint>

#include "devinfo/compatibility_sets.h"
#include "shell/device_query.h"
#include "shell/sheet_page.h"

class QButtonGroup;
class QGroupBox;
class QPushButton;
class QRadioButton;

namespace nuvrel {

class CCompatibility : public CSheetPage {
    Q_OBJECT

  public:
    // The sets, in the order shown.
    enum Set { Set16US, Set32U, Set32UF, SetCount };

    explicit CCompatibility(QWidget* parent = nullptr);

    // Each says how far it got with the device (Done, NoDevice, NoAnswer).
    DeviceAccess refresh();
    DeviceAccess store();

    QRadioButton* radio(Set which) const { return m_radios[which]; }
    QGroupBox* frame(Set which) const { return m_frames[which]; }
    QPushButton* refreshButton() const { return m_refresh; }
    QPushButton* setButton() const { return m_set; }

  protected:
    void onSetActive() override;

  private:
    void refreshOnRequest();
    void storeOnRequest();
    // The two requests, with what kept them from the device.
    QueryProblem refreshSets();
    QueryProblem storeSet();
    // After a button: why the request did not go through, if the user should know.
    void explain(const QueryProblem& problem);
    void setSetsEnabled(bool enabled);
    void select(std::uint8_t code);

    std::array<QGroupBox*, SetCount> m_frames{};
    std::array<QRadioButton*, SetCount> m_radios{};
    QButtonGroup* m_group = nullptr;
    QPushButton* m_refresh = nullptr;
    QPushButton* m_set = nullptr;
};

}  // namespace nuvrel
