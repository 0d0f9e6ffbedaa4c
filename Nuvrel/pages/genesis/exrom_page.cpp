// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "pages/genesis/exrom_page.h"

#include <QDir>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "engine/status_text.h"
#include "genesis/rom_image_format.h"
#include "pages/genesis/rom_selection.h"
#include "shell/accessible_text.h"
#include "shell/device_busy.h"
#include "shell/device_query.h"
#include "shell/file_names.h"
#include "shell/group_icon.h"
#include "shell/page_kit.h"
#include "shell/remembered_folder.h"
#include "shell/selected_image.h"
#include "shell/settings_store.h"
#include "shell/user_prompts.h"

namespace nuvrel {

namespace {

const QString kNoInformation = QStringLiteral("No information");
const QString kNoInformationOrBusy = QStringLiteral("No information/or file busy");
const QString kDeviceBusy = QStringLiteral("Device is busy");

struct FieldRow {
    CEXROMPage::Field field;
    const char* label;
    const char* objectName;
};

constexpr FieldRow kRows[] = {
    {CEXROMPage::FileName, "File name:", "fileName"},
    {CEXROMPage::FileSize, "File size:", "fileSize"},
    {CEXROMPage::SystemName, "SEGA system name and TITLE:", "systemName"},
    {CEXROMPage::Copyright, "Copyright notice and year/month of release:", "copyright"},
    {CEXROMPage::DomesticName, "Domestic Game Name:", "domesticName"},
    {CEXROMPage::OverseasName, "Overseas Game Name:", "overseasName"},
    {CEXROMPage::CartridgeType, "Cartridge Type:", "cartridgeType"},
    {CEXROMPage::CheckSum, "Check Sum:", "checkSum"},
    {CEXROMPage::RomRange, "ROM capacity Start Address, End Addres:", "romRange"},
    {CEXROMPage::RamRange, "SRAM capacity Start Address, End Addres:", "ramRange"},
};

QString checksumDiffersText(std::uint16_t computed) {
    // Upper-case digits, as every other hexadecimal value of the pages.
    return QStringLiteral("differs: computed 0x") +
           QStringLiteral("%1").arg(computed, 4, 16, QLatin1Char('0')).toUpper();
}

// Header texts are bytes; Latin-1 shows each of them as one character.
QString headerText(const std::string& bytes) {
    return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

}  // namespace

CEXROMPage::CEXROMPage(SelectedImage& image, QWidget* parent)
    : CSheetPage(QStringLiteral("Extended ROM info"), parent), m_image(image) {
    // Captions take the page's window-text colour; the value fields draw with the text colour,
    // which stays the default.
    QPalette captions = palette();
    captions.setColor(QPalette::WindowText, QColor::fromRgb(kCaptionColour));
    setPalette(captions);

    auto* layout = new QVBoxLayout(this);
    auto* info = new QGroupBox(QStringLiteral("Rom information:"), this);
    // Captions, fields, and a column of notes: the checksum's note sits in a column of its own,
    // as wide as its longest text, so that every field keeps the width of the others.
    auto* grid = new QGridLayout(info);
    grid->setVerticalSpacing(2);
    grid->setColumnStretch(1, 1);
    int at = 0;
    for (const FieldRow& row : kRows) {
        auto* edit = new QLineEdit(info);
        edit->setReadOnly(true);
        edit->setObjectName(QString::fromLatin1(row.objectName));
        m_fields[row.field] = edit;
        grid->addWidget(makeFieldLabel(QString::fromLatin1(row.label), edit, info), at, 0);
        grid->addWidget(edit, at, 1);
        if (row.field == CheckSum) {
            // What the image's bytes add up to beside the stored checksum (file source only).
            m_checksumNote = new QLabel(info);
            m_checksumNote->setObjectName(QStringLiteral("checksumNote"));
            m_checksumNote->setMinimumWidth(
                m_checksumNote->fontMetrics().horizontalAdvance(checksumDiffersText(0xFFFF)));
            grid->addWidget(m_checksumNote, at, 2);
        }
        ++at;
    }
    layout->addWidget(info, 1);
    // What was converted to read an SMD or byte-swapped file (file source only).
    m_formatNote = new QLabel(this);
    m_formatNote->setObjectName(QStringLiteral("formatNote"));
    layout->addWidget(m_formatNote);

    auto* lower = new QHBoxLayout;
    lower->addWidget(makeGroupIcon(QStringLiteral("rom_header"), this), 0, Qt::AlignTop);
    auto* position = new QGroupBox(QStringLiteral("ROM Position:"), this);
    auto* choices = new QHBoxLayout(position);
    m_deviceSource = new QRadioButton(QStringLiteral("Select From Velk series device"), position);
    m_deviceSource->setObjectName(QStringLiteral("deviceSource"));
    m_fileSource = new QRadioButton(QStringLiteral("Select From file"), position);
    m_fileSource->setObjectName(QStringLiteral("fileSource"));
    m_browse = new QPushButton(QStringLiteral("Browse"), position);
    m_browse->setObjectName(QStringLiteral("browseButton"));
    m_browse->setEnabled(false);
    setAccessibleText(m_deviceSource, m_deviceSource->text(),
                      QStringLiteral("Shows the header of the ROM in the device"));
    setAccessibleText(m_fileSource, m_fileSource->text(),
                      QStringLiteral("Shows the header of the chosen image file"));
    setAccessibleText(m_browse, QStringLiteral("Browse"),
                      QStringLiteral("Chooses a new image for the ROM memory page"));
    choices->addWidget(m_deviceSource);
    choices->addWidget(m_fileSource);
    choices->addWidget(m_browse);
    lower->addWidget(position, 1);
    lower->addWidget(makeGroupIcon(QStringLiteral("rom_position"), this), 0, Qt::AlignTop);
    auto* refreshColumn = new QVBoxLayout;
    m_refresh = new QPushButton(QStringLiteral("Refresh"), this);
    m_refresh->setObjectName(QStringLiteral("refreshButton"));
    setAccessibleText(m_refresh, QStringLiteral("Refresh ROM information"),
                      QStringLiteral("Reads the header again from the chosen source"));
    auto* help = new QLabel(QStringLiteral("Push refresh button to update info."), this);
    help->setObjectName(QStringLiteral("refreshHelp"));
    refreshColumn->addWidget(help);
    refreshColumn->addWidget(m_refresh, 0, Qt::AlignRight);
    lower->addLayout(refreshColumn);
    layout->addLayout(lower);

    connect(m_refresh, &QPushButton::clicked, this, [this] { RefreshHeader(true); });
    connect(m_browse, &QPushButton::clicked, this, &CEXROMPage::OnBrowse);
    for (QRadioButton* button : {m_deviceSource, m_fileSource}) {
        connect(button, &QRadioButton::clicked, this, [this] {
            synchroniseSource();
            RefreshHeader(true);
        });
    }
    acceptFileDrops(this, droppedRomImage, [this](const QString& path) { selectImage(path); });
}

void CEXROMPage::onInitPage() {
    showEverywhere(kNoInformation);
    m_fileSource->setChecked(true);
}

void CEXROMPage::onSetActive() {
    synchroniseSource();
    RefreshHeader(false);
}

void CEXROMPage::synchroniseSource() {
    m_source = m_fileSource->isChecked() ? Source::File : Source::Device;
    m_browse->setEnabled(m_source == Source::File);
}

void CEXROMPage::RefreshHeader(bool userAsked) {
    if (m_source == Source::Device) {
        // The library serves one thread at a time: the running operation has the device.
        if (deviceInUse()) {
            showEverywhere(kDeviceBusy);
        } else if (!ReadHeaderFromDevice(userAsked)) {
            showEverywhere(kNoInformation);
        }
        return;
    }
    if (!ReadHeaderFromFile()) {
        showEverywhere(kNoInformationOrBusy);
    }
}

bool CEXROMPage::ReadHeaderFromFile() {
    const QString& path = m_image.path();
    if (path.isEmpty()) {
        return false;
    }
    m_fields[FileName]->setText(QDir::toNativeSeparators(path));
    m_fields[FileName]->setCursorPosition(0);
    // The size recorded at selection; the file is not measured again.
    m_fields[FileSize]->setText(QString::fromStdString(HeaderFileSizeText(m_image.size())));
    const auto header = ReadGenesisHeaderFromFile(toEnginePath(path));
    if (!header) {
        return false;
    }
    ShowHeader(*header);
    m_formatNote->setText(QString::fromStdString(DetectRomImageFile(toEnginePath(path)).note));
    // Summed on this thread, so only for what can be a Genesis image at all.
    constexpr std::uint32_t kLargestImage = 16 * 1024 * 1024;
    const bool summable = m_image.size() != 0 && m_image.size() <= kLargestImage;
    showChecksumNote(summable ? ReadImageChecksum(toEnginePath(path)) : std::nullopt);
    return true;
}

void CEXROMPage::showChecksumNote(const std::optional<ImageChecksum>& checksum) {
    if (!checksum) {
        m_checksumNote->clear();
    } else if (checksum->matches()) {
        m_checksumNote->setText(QStringLiteral("matches"));
    } else {
        m_checksumNote->setText(checksumDiffersText(checksum->computed));
    }
}

bool CEXROMPage::ReadHeaderFromDevice(bool userAsked) {
    // A header that cannot be read shows "No information"; only a refusal is worth a box.
    const DeviceReply<DeviceHeaderRead> reply =
        askDevice<DeviceHeaderRead>([](bool) { return ReadGenesisHeaderFromDevice(); },
                                    [](const DeviceHeaderRead& header) {
                                        return QueryFacts{header.deviceFound, true};
                                    },
                                    device_step::kHeaderRead, false);
    const DeviceHeaderRead& read = reply.value;
    m_fields[FileSize]->setText(QString::fromLatin1(kNotApplicable));
    if (!reply.ok()) {
        if (userAsked && reply.problem.kind == DeviceProblem::Refused) {
            showDeviceProblem(this, reply.problem);
        }
        return false;
    }
    m_fields[FileName]->setText(fromDeviceName(read.fileName));
    m_fields[FileName]->setCursorPosition(0);
    if (!read.header) {
        return false;
    }
    ShowHeader(*read.header);
    // The device holds no image length to sum over, and always the plain image.
    showChecksumNote(std::nullopt);
    m_formatNote->clear();
    return true;
}

void CEXROMPage::ShowHeader(const GenesisHeaderBytes& header) {
    const GenesisHeaderFields shown = FormatGenesisHeader(header);
    const std::pair<Field, const std::string*> values[] = {
        {SystemName, &shown.systemName},       {Copyright, &shown.copyright},
        {DomesticName, &shown.domesticName},   {OverseasName, &shown.overseasName},
        {CartridgeType, &shown.cartridgeType}, {CheckSum, &shown.checksum},
        {RomRange, &shown.romRange},           {RamRange, &shown.ramRange}};
    for (const auto& [which, text] : values) {
        m_fields[which]->setText(headerText(*text));
        m_fields[which]->setCursorPosition(0);
    }
}

void CEXROMPage::showEverywhere(const QString& text) {
    for (QLineEdit* edit : m_fields) {
        edit->setText(text);
    }
    showChecksumNote(std::nullopt);
    m_formatNote->clear();
}

void CEXROMPage::OnBrowse() {
    // Without a device (capacity 0) the header of the image selected before is shown again.
    if (takeCapacityForSelection(this, m_image)) {
        const QString path =
            chooseFileToOpen(this, QString::fromLatin1(kLoadRomDir), romImageFilter());
        if (path.isEmpty()) {
            return;
        }
        checkAndSelectImage(this, m_image, path);
    }
    showHeaderOfSelection();
}

void CEXROMPage::selectImage(const QString& path) {
    m_fileSource->setChecked(true);
    synchroniseSource();
    if (takeCapacityForSelection(this, m_image)) {
        checkAndSelectImage(this, m_image, path);
    }
    showHeaderOfSelection();
}

void CEXROMPage::showHeaderOfSelection() {
    if (!ReadHeaderFromFile()) {
        showEverywhere(kNoInformation);
    }
}

}  // namespace nuvrel
