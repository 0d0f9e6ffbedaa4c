#include "pages/devinfo/compatibility_page.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "devinfo/compatibility_sets.h"
#include "engine/status_text.h"
#include "shell/device_busy.h"
#include "shell/group_icon.h"
#include "shell/open_refusal_box.h"
#include "shell/user_prompts.h"
#include "shell/wait_cursor.h"

namespace nuvrel {

namespace {

// The page's own decoration of each set, in the order of kCompatibilitySets.
struct SetDecoration {
    const char* icon;
    const char* objectName;
};

constexpr std::array<SetDecoration, CCompatibility::SetCount> kDecorations{{
    {"set_16us", "set16US"},
    {"set_32u", "set32U"},
    {"set_32uf", "set32UF"},
}};
static_assert(kDecorations.size() == kCompatibilitySets.size());

QString fromView(std::string_view text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

bool brivoDeviceFree() {
    if (deviceInUse()) {
        return false;
    }
    const WaitCursor wait;
    return BrivoAttached();
}

}  // namespace

CCompatibility::CCompatibility(QWidget* parent)
    : CSheetPage(QStringLiteral("Compatibility setup"), parent) {
    auto* layout = new QVBoxLayout(this);
    m_group = new QButtonGroup(this);
    m_group->setExclusive(true);
    for (int i = 0; i < SetCount; ++i) {
        const CompatibilitySet& set = kCompatibilitySets[static_cast<std::size_t>(i)];
        const SetDecoration& decoration = kDecorations[static_cast<std::size_t>(i)];
        auto* frame = new QGroupBox(this);
        frame->setObjectName(QString::fromLatin1(decoration.objectName) + QStringLiteral("Frame"));
        auto* row = new QHBoxLayout(frame);
        row->addWidget(makeGroupIcon(QString::fromLatin1(decoration.icon), frame), 0, Qt::AlignTop);
        auto* texts = new QVBoxLayout;
        auto* radio = new QRadioButton(fromView(set.caption), frame);
        radio->setObjectName(QString::fromLatin1(decoration.objectName));
        auto* description = new QLabel(fromView(set.description), frame);
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

    connect(m_refresh, &QPushButton::clicked, this, &CCompatibility::refreshOnRequest);
    connect(m_set, &QPushButton::clicked, this, &CCompatibility::storeOnRequest);
}

void CCompatibility::onSetActive() {
    refresh();
}

void CCompatibility::refreshOnRequest() {
    const OpenRefusalWatch watch;
    explain(refresh(), watch);
}

void CCompatibility::storeOnRequest() {
    const OpenRefusalWatch watch;
    explain(store(), watch);
}

void CCompatibility::explain(DeviceAccess access, const OpenRefusalWatch& watch) {
    if (access == DeviceAccess::NoAnswer) {
        showMessage(this, QString::fromStdString(NoAnswerAt(device_step::kCompatibilitySet).status),
                    PromptIcon::Error);
    } else if (access == DeviceAccess::NoDevice) {
        showOpenRefusal(this, watch);
    }
}

DeviceAccess CCompatibility::refresh() {
    if (!brivoDeviceFree()) {
        setSetsEnabled(false);
        // Busy, another model, or no device: the page says so by being disabled.
        return DeviceAccess::NoDevice;
    }
    setSetsEnabled(true);
    WaitCursor wait;
    const StoredSetRead read = ReadStoredCompatibilitySet();
    wait.release();
    // A failed query leaves the selection as it was.
    if (read.access == DeviceAccess::Done) {
        select(read.code);
    }
    return read.access;
}

DeviceAccess CCompatibility::store() {
    if (!brivoDeviceFree()) {
        return DeviceAccess::NoDevice;
    }
    std::uint8_t code = 0;
    for (std::size_t i = 0; i < kCompatibilitySets.size(); ++i) {
        if (m_radios[i]->isChecked()) {
            code = kCompatibilitySets[i].code;
        }
    }
    WaitCursor wait;
    const DeviceAccess access = StoreCompatibilitySetOnDevice(code);
    wait.release();
    return access;
}

void CCompatibility::setSetsEnabled(bool enabled) {
    // The frames hold the radio buttons, their icons and descriptions.
    for (QGroupBox* frame : m_frames) {
        frame->setEnabled(enabled);
    }
    m_set->setEnabled(enabled);
}

void CCompatibility::select(std::uint8_t code) {
    for (std::size_t i = 0; i < kCompatibilitySets.size(); ++i) {
        if (kCompatibilitySets[i].code == code) {
            m_radios[i]->setChecked(true);
        }
    }
}

}  // namespace nuvrel
