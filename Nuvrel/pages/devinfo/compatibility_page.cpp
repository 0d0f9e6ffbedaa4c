// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

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
#include "shell/accessible_text.h"
#include "shell/group_icon.h"

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

// Busy, another model, or no device: the sets are left alone.
QueryProblem brivoProblem() {
    return askDevice<bool>([](bool) { return BrivoAttached(); },
                           [](bool attached) {
                               return QueryFacts{attached, true};
                           },
                           device_step::kCompatibilitySet, false)
        .problem;
}

QueryFacts accessFacts(DeviceAccess access) {
    return QueryFacts{access != DeviceAccess::NoDevice, access != DeviceAccess::NoAnswer};
}

DeviceAccess accessOf(const QueryProblem& problem) {
    switch (problem.kind) {
        case DeviceProblem::None:
            return DeviceAccess::Done;
        case DeviceProblem::NoAnswer:
            return DeviceAccess::NoAnswer;
        default:
            return DeviceAccess::NoDevice;
    }
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
        setAccessibleText(radio, radio->text(), description->text());
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
    setAccessibleText(m_refresh, QStringLiteral("Refresh compatibility set"),
                      QStringLiteral("Shows the set stored in the device"));
    setAccessibleText(m_set, QStringLiteral("Set compatibility set"),
                      QStringLiteral("Stores the chosen set in the device"));
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
    explain(refreshSets());
}

void CCompatibility::storeOnRequest() {
    explain(storeSet());
}

void CCompatibility::explain(const QueryProblem& problem) {
    // A busy device, another model or none at all: the disabled page says so already.
    if (problem.kind == DeviceProblem::NoAnswer || problem.kind == DeviceProblem::Refused) {
        showDeviceProblem(this, problem);
    }
}

DeviceAccess CCompatibility::refresh() {
    return accessOf(refreshSets());
}

DeviceAccess CCompatibility::store() {
    return accessOf(storeSet());
}

QueryProblem CCompatibility::refreshSets() {
    if (const QueryProblem problem = brivoProblem(); problem.kind != DeviceProblem::None) {
        setSetsEnabled(false);
        return problem;
    }
    setSetsEnabled(true);
    const DeviceReply<StoredSetRead> read = askDevice<StoredSetRead>(
        [](bool) { return ReadStoredCompatibilitySet(); },
        [](const StoredSetRead& stored) { return accessFacts(stored.access); },
        device_step::kCompatibilitySet, false);
    // A failed query leaves the selection as it was.
    if (read.ok()) {
        select(read.value.code);
    }
    return read.problem;
}

QueryProblem CCompatibility::storeSet() {
    if (const QueryProblem problem = brivoProblem(); problem.kind != DeviceProblem::None) {
        return problem;
    }
    std::uint8_t code = 0;
    for (std::size_t i = 0; i < kCompatibilitySets.size(); ++i) {
        if (m_radios[i]->isChecked()) {
            code = kCompatibilitySets[i].code;
        }
    }
    return askDevice<DeviceAccess>([code](bool) { return StoreCompatibilitySetOnDevice(code); },
                                   accessFacts, device_step::kCompatibilitySet, false)
        .problem;
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
