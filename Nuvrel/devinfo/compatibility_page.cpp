#include "devinfo/compatibility_page.h"

#include <velk_series/velk_series.h>
#include <QButtonGroup>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "shell/device_busy.h"
#include "shell/group_icon.h"

namespace nuvrel {

namespace {

struct SetDescription {
    const char* caption;
    const char* description;
    const char* icon;
    const char* objectName;
    std::uint8_t code;
};

constexpr std::array<SetDescription, CCompatibility::SetCount> kSets{{
    {"16Velk+US compatibility set",
     "Use this compatibility set if rom have size low or equal 16 Megabit, save supported.",
     "set_16us", "set16US", 3},
    {"32Velk+U compatibility set",
     "Use this compatibility set if rom have size low or equal 32 Megabit and no need save "
     "support",
     "set_32u", "set32U", 1},
    {"32Velk+UF compatibility set",
     "Use this compatibility set if rom have size low or equal 32 Megabit and need save support, "
     "like \"Story Of Thor\" game and etc.",
     "set_32uf", "set32UF", 2},
}};

// The device answers the query with the stored set in its low two bits.
constexpr std::uint8_t kSetCodeMask = 0x03;

bool brivoDeviceFree() {
    return !deviceInUse() && IsVelkBrivo(nullptr) != 0;
}

}  // namespace

CCompatibility::CCompatibility(QWidget* parent)
    : CSheetPage(QStringLiteral("Compatibility setup"), parent) {
    auto* layout = new QVBoxLayout(this);
    m_group = new QButtonGroup(this);
    m_group->setExclusive(true);
    for (int i = 0; i < SetCount; ++i) {
        const SetDescription& set = kSets[static_cast<std::size_t>(i)];
        auto* frame = new QGroupBox(this);
        frame->setObjectName(QString::fromLatin1(set.objectName) + QStringLiteral("Frame"));
        auto* row = new QHBoxLayout(frame);
        row->addWidget(makeGroupIcon(QString::fromLatin1(set.icon), frame), 0, Qt::AlignTop);
        auto* texts = new QVBoxLayout;
        auto* radio = new QRadioButton(QString::fromLatin1(set.caption), frame);
        radio->setObjectName(QString::fromLatin1(set.objectName));
        auto* description = new QLabel(QString::fromLatin1(set.description), frame);
        description->setWordWrap(true);
        texts->addWidget(radio);
        texts->addWidget(description);
        row->addLayout(texts, 1);
        layout->addWidget(frame);
        m_group->addButton(radio, i);
        m_frames[static_cast<std::size_t>(i)] = frame;
        m_radios[static_cast<std::size_t>(i)] = radio;
    }

    auto* buttons = new QHBoxLayout;
    m_refresh = new QPushButton(QStringLiteral("Refresh"), this);
    m_refresh->setObjectName(QStringLiteral("refreshButton"));
    m_set = new QPushButton(QStringLiteral("Set"), this);
    m_set->setObjectName(QStringLiteral("setButton"));
    buttons->addStretch(1);
    buttons->addWidget(m_refresh);
    buttons->addWidget(m_set);
    layout->addLayout(buttons);
    layout->addStretch(1);

    connect(m_refresh, &QPushButton::clicked, this, &CCompatibility::refresh);
    connect(m_set, &QPushButton::clicked, this, &CCompatibility::store);
}

void CCompatibility::onSetActive() {
    refresh();
}

void CCompatibility::refresh() {
    if (!brivoDeviceFree()) {
        setSetsEnabled(false);
        return;
    }
    setSetsEnabled(true);
    DeviceHandle device = OpenVelkDevice();
    if (device == VELK_INVALID_DEVICE) {
        return;
    }
    select(static_cast<std::uint8_t>(Compatibility(device, VELK_COMPAT_QUERY) & kSetCodeMask));
    CloseVelkDevice(device);
}

void CCompatibility::store() {
    if (!brivoDeviceFree()) {
        return;
    }
    std::uint8_t code = 0;
    for (std::size_t i = 0; i < kSets.size(); ++i) {
        if (m_radios[i]->isChecked()) {
            code = kSets[i].code;
        }
    }
    DeviceHandle device = OpenVelkDevice();
    if (device == VELK_INVALID_DEVICE) {
        return;
    }
    Compatibility(device, static_cast<std::uint8_t>(VELK_COMPAT_STORE_BASE + code));
    CloseVelkDevice(device);
}

void CCompatibility::setSetsEnabled(bool enabled) {
    // The frames hold the radio buttons, their icons and descriptions.
    for (QGroupBox* frame : m_frames) {
        frame->setEnabled(enabled);
    }
    m_set->setEnabled(enabled);
}

void CCompatibility::select(std::uint8_t code) {
    for (std::size_t i = 0; i < kSets.size(); ++i) {
        if (kSets[i].code == code) {
            m_radios[i]->setChecked(true);
        }
    }
}

}  // namespace nuvrel
