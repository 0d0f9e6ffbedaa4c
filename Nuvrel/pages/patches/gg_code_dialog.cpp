// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "pages/patches/gg_code_dialog.h"

#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <string>

#include "patches/game_genie.h"
#include "patches/hex_text.h"
#include "shell/accessible_text.h"
#include "shell/group_icon.h"

namespace nuvrel {

namespace {

const QString kExplanation = QStringLiteral(
    "Insert Game Genie or Patch code, Patch or Game Genie code must be in ROM area, if code not in "
    "ROM area software signalling error will be omited then \"OK\" button is pressed.");

constexpr int kAddressDigits = 6;
constexpr int kDataDigits = 4;
constexpr int kLettersPerHalf = 4;  // a code is ABCD-EFGH
// How much of a field a conversion or OK reads.
constexpr int kFieldRead = 9;

std::int32_t parseField(const CParsedEdit* field) {
    return ParseHexText(field->text().left(kFieldRead).toStdString());
}

QString fromLatin1(const std::string& text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

CParsedEdit* makeField(std::uint16_t filter, int limit, const QString& objectName,
                       QWidget* parent) {
    auto* field = new CParsedEdit(filter, parent);
    field->setObjectName(objectName);
    field->setTextLimit(limit);
    // Room for the limit's characters, whatever the font.
    const int width = field->fontMetrics().horizontalAdvance(QString(limit + 2, QLatin1Char('W')));
    field->setFixedWidth(width);
    return field;
}

// A mode's frame: its icon, its radio button in the caption's place, the hint lines and the two
// fields side by side.
QGroupBox* makeModeGroup(const QString& blankTitle, const QString& icon, QRadioButton* radio,
                         const QStringList& hints, QWidget* first, QWidget* second,
                         QWidget* parent) {
    auto* group = new QGroupBox(blankTitle, parent);
    auto* layout = new QGridLayout(group);
    layout->addWidget(makeGroupIcon(icon, group), 0, 0, 3, 1, Qt::AlignTop);
    radio->setParent(group);
    layout->addWidget(radio, 0, 1);
    auto* hintColumn = new QVBoxLayout;
    hintColumn->setSpacing(0);
    for (const QString& hint : hints) {
        hintColumn->addWidget(new QLabel(hint, group));
    }
    layout->addLayout(hintColumn, 1, 1);
    auto* fields = new QHBoxLayout;
    first->setParent(group);
    second->setParent(group);
    fields->addWidget(first);
    fields->addWidget(second);
    fields->addStretch(1);
    layout->addLayout(fields, 2, 1);
    layout->setColumnStretch(1, 1);
    return group;
}

}  // namespace

CGGCode::CGGCode(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Add Code"));
    setModal(true);

    auto* explanation = new QLabel(kExplanation, this);
    explanation->setWordWrap(true);
    explanation->setAlignment(Qt::AlignCenter);

    m_patchMode = new QRadioButton(QStringLiteral("Insert patch code"));
    m_patchMode->setObjectName(QStringLiteral("patchMode"));
    m_codeMode = new QRadioButton(QStringLiteral("Insert Game Genue Code"));
    m_codeMode->setObjectName(QStringLiteral("codeMode"));
    m_addressField = makeField(FilterHexDigits, kAddressDigits, QStringLiteral("address"), this);
    m_dataField = makeField(FilterHexDigits, kDataDigits, QStringLiteral("data"), this);
    m_firstCodeField =
        makeField(FilterCodeLetters, kLettersPerHalf, QStringLiteral("firstCode"), this);
    m_secondCodeField =
        makeField(FilterCodeLetters, kLettersPerHalf, QStringLiteral("secondCode"), this);

    auto* patchGroup =
        makeModeGroup(QString(20, QLatin1Char(' ')), QStringLiteral("patch_code"), m_patchMode,
                      {QStringLiteral("Write actual patch code in HEX (sample"),
                       QStringLiteral("[00AA80]:[00BB]).")},
                      m_addressField, m_dataField, this);
    auto* codeGroup =
        makeModeGroup(QString(18, QLatin1Char(' ')), QStringLiteral("game_genie"), m_codeMode,
                      {QStringLiteral("             Write actual GG Code (sample "),
                       QStringLiteral("[NWFC]:[YAGW]).")},
                      m_firstCodeField, m_secondCodeField, this);

    // One group across both frames: checking one mode unchecks the other.
    auto* modes = new QButtonGroup(this);
    modes->addButton(m_patchMode);
    modes->addButton(m_codeMode);
    connect(m_patchMode, &QRadioButton::clicked, this, &CGGCode::applyEnableRule);
    connect(m_codeMode, &QRadioButton::clicked, this, &CGGCode::applyEnableRule);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
    buttons->button(QDialogButtonBox::Ok)->setDefault(true);
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Cancel"));
    connect(buttons, &QDialogButtonBox::accepted, this, &CGGCode::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CGGCode::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(explanation);
    layout->addWidget(patchGroup);
    layout->addWidget(codeGroup);
    layout->addWidget(buttons);
    // A conversion rewrites the other pair under a signal blocker, so it never starts another.
    for (CParsedEdit* field : {m_addressField, m_dataField}) {
        connect(field, &CParsedEdit::hexDigitTyped, this, &CGGCode::UpdateCodeFromPatch);
        connect(field, &QLineEdit::textChanged, this, &CGGCode::SyncFromFocusedField);
    }
    for (CParsedEdit* field : {m_firstCodeField, m_secondCodeField}) {
        connect(field, &CParsedEdit::codeLetterTyped, this, &CGGCode::UpdatePatchFromCode);
        connect(field, &QLineEdit::textChanged, this, &CGGCode::SyncFromFocusedField);
    }

    setAccessibleText(m_patchMode, m_patchMode->text(),
                      QStringLiteral("Enter the patch as address and data"));
    setAccessibleText(m_codeMode, m_codeMode->text(),
                      QStringLiteral("Enter the patch as a Game Genie code"));
    setAccessibleText(buttons->button(QDialogButtonBox::Ok), QStringLiteral("OK"),
                      QStringLiteral("Takes the patch into the list"));
    setAccessibleText(buttons->button(QDialogButtonBox::Cancel), QStringLiteral("Cancel"));
    setAccessibleText(m_addressField, QStringLiteral("Patch address"),
                      QStringLiteral("Six hexadecimal digits"));
    setAccessibleText(m_dataField, QStringLiteral("Patch data"),
                      QStringLiteral("Four hexadecimal digits"));
    setAccessibleText(m_firstCodeField, QStringLiteral("Game Genie code, first half"),
                      QStringLiteral("Four code letters"));
    setAccessibleText(m_secondCodeField, QStringLiteral("Game Genie code, second half"),
                      QStringLiteral("Four code letters"));

    const QList<QWidget*> tabOrder{m_patchMode, m_addressField,   m_dataField,
                                   m_codeMode,  m_firstCodeField, m_secondCodeField};
    for (qsizetype i = 1; i < tabOrder.size(); ++i) {
        setTabOrder(tabOrder[i - 1], tabOrder[i]);
    }
}

int CGGCode::exec() {
    prepareFields();
    return QDialog::exec();
}

void CGGCode::prepareFields() {
    {
        // The dialog is reused: whatever field had the focus last time must not steer the
        // filling, or a data word wider than 16 bits would come back cut from the code fields.
        const QSignalBlocker address(m_addressField);
        const QSignalBlocker data(m_dataField);
        m_addressField->setFieldText(
            fromLatin1(FormatPatchAddress(static_cast<std::uint32_t>(m_address))));
        m_dataField->setFieldText(fromLatin1(FormatPatchData(static_cast<std::uint32_t>(m_data))));
    }
    m_patchMode->setChecked(true);
    m_codeMode->setEnabled(!m_modify);
    applyEnableRule();
    UpdateCodeFromPatch();
    // In modify mode only the data can change.
    (m_modify ? m_dataField : m_addressField)->setFocus();
}

void CGGCode::applyEnableRule() {
    const bool codeMode = m_codeMode->isChecked();
    m_addressField->setEnabled(!codeMode && !m_modify);
    m_dataField->setEnabled(!codeMode);
    m_firstCodeField->setEnabled(codeMode);
    m_secondCodeField->setEnabled(codeMode);
}

void CGGCode::UpdateCodeFromPatch() {
    char code[kGameGenieCodeBufferSize];
    EncodeGameGenie(static_cast<std::uint32_t>(parseField(m_addressField)),
                    static_cast<std::uint32_t>(parseField(m_dataField)), code);
    const QSignalBlocker first(m_firstCodeField);
    const QSignalBlocker second(m_secondCodeField);
    m_firstCodeField->setFieldText(QString::fromLatin1(code, kLettersPerHalf));
    m_secondCodeField->setFieldText(
        QString::fromLatin1(code + kLettersPerHalf + 1, kLettersPerHalf));
}

void CGGCode::UpdatePatchFromCode() {
    // A half shorter than four letters moves the hyphen off the fifth place; the decoder then
    // takes it as a letter, and the patch fields show the partial code's value.
    const std::string joined = m_firstCodeField->text().left(kFieldRead).toStdString() + "-" +
                               m_secondCodeField->text().left(kFieldRead).toStdString();
    const GameGeniePatch patch = DecodeGameGenie(joined.c_str());
    const QSignalBlocker address(m_addressField);
    const QSignalBlocker data(m_dataField);
    m_addressField->setFieldText(fromLatin1(FormatPatchAddress(patch.address)));
    m_dataField->setFieldText(fromLatin1(FormatPatchData(patch.data)));
}

void CGGCode::SyncFromFocusedField() {
    const QWidget* focused = focusWidget();
    if (focused == m_addressField || focused == m_dataField) {
        UpdateCodeFromPatch();
    } else if (focused == m_firstCodeField || focused == m_secondCodeField) {
        UpdatePatchFromCode();
    }
}

void CGGCode::accept() {
    m_address = parseField(m_addressField);
    m_data = parseField(m_dataField);
    // A first half shorter than four letters ends the code text there; a shorter second half
    // ends it early.
    const QString first = m_firstCodeField->text().left(kLettersPerHalf);
    const QString second = m_secondCodeField->text().left(kLettersPerHalf);
    m_codeText = first.size() < kLettersPerHalf ? first : first + QLatin1Char('-') + second;
    QDialog::accept();
}

}  // namespace nuvrel
