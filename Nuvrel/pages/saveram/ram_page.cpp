// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "pages/saveram/ram_page.h"

#include <QCheckBox>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <limits>
#include <string>
#include <utility>

#include "engine/input_file.h"
#include "engine/status_text.h"
#include "saveram/save_ram.h"
#include "shell/accessible_text.h"
#include "shell/device_busy.h"
#include "shell/device_operation_runner.h"
#include "shell/dialog_filter.h"
#include "shell/file_names.h"
#include "shell/group_icon.h"
#include "shell/library_messages.h"
#include "shell/open_refusal_box.h"
#include "shell/operation_buttons.h"
#include "shell/page_kit.h"
#include "shell/remembered_folder.h"
#include "shell/settings_store.h"
#include "shell/user_prompts.h"

namespace nuvrel {

namespace {

const QString kReadHelp = QStringLiteral(
    " To copy file from internal memory, please push button \"Out file\", select output file name "
    "on disk or other external srorrage and press \"Read\" button for start copy process.");
const QString kWriteHelp = QStringLiteral(
    " To store file from any external storrage, please push button \"In file\", select existing "
    "file from disk or other srorrage and press \"Write\" button for start store process.");

QString fileFilter() {
    return dialogFilter(QString::fromLatin1(kSaveRamFilter));
}

// A file of 4 GiB or more cannot fit any device; it must not pass the size check by wrapping.
std::uint32_t fileSize32(qint64 size) {
    constexpr qint64 kLargest = std::numeric_limits<std::uint32_t>::max();
    return static_cast<std::uint32_t>(size > kLargest ? kLargest : size);
}

// One side of the page: icon and help text, the labelled name field, and the bottom row of
// controls, in which a null entry is the stretch between the groups. context names what the
// side's field is about; Tab goes along the bottom row as it is laid out.
void layOutSide(QGroupBox* group, const QString& icon, const QString& help, const QString& label,
                const QString& context, QLineEdit* nameField,
                std::initializer_list<QWidget*> bottomRow) {
    auto* layout = new QGridLayout(group);
    layout->addWidget(makeGroupIcon(icon, group), 0, 0, Qt::AlignTop);
    layout->addWidget(makeHelpText(help, group), 0, 1);
    auto* nameRow = new QHBoxLayout;
    nameRow->addWidget(makeFieldLabel(label, nameField, group, context));
    nameRow->addWidget(nameField, 1);
    layout->addLayout(nameRow, 1, 0, 1, 2);
    auto* buttons = new QHBoxLayout;
    QWidget* previous = nameField;
    for (QWidget* widget : bottomRow) {
        if (widget == nullptr) {
            buttons->addStretch(1);
        } else {
            buttons->addWidget(widget);
            QWidget::setTabOrder(previous, widget);
            previous = widget;
        }
    }
    layout->addLayout(buttons, 2, 0, 1, 2);
    layout->setColumnStretch(1, 1);
    layout->setRowStretch(0, 1);
}

}  // namespace

CRAMPage::CRAMPage(DeviceOperationRunner& runner, QWidget* parent)
    : CSheetPage(QStringLiteral("RAM memory"), parent), m_runner(runner) {
    buildControls();
    connect(m_outFile, &QPushButton::clicked, this, &CRAMPage::chooseOutFile);
    connect(m_read, &QPushButton::clicked, this, &CRAMPage::startRead);
    connect(m_inFile, &QPushButton::clicked, this, &CRAMPage::chooseInFile);
    connect(m_write, &QPushButton::clicked, this, &CRAMPage::startWrite);
    connect(m_clearRam, &QPushButton::clicked, this, &CRAMPage::startClear);
    connect(m_refresh, &QPushButton::clicked, this, &CRAMPage::refreshPressed);
}

void CRAMPage::buildControls() {
    // Left: the device side.
    auto* ramGroup = new QGroupBox(QStringLiteral("RAM Memory info:"), this);
    ramGroup->setObjectName(QStringLiteral("ramInfoGroup"));
    m_internalName = makeInfoField(QString(), QStringLiteral("internalName"), ramGroup, false);
    m_clearRam =
        makeButton(QStringLiteral("Clear RAM"), QStringLiteral("clearRamButton"), ramGroup);
    m_outFile = makeButton(QStringLiteral("Out File"), QStringLiteral("outFileButton"), ramGroup);
    m_read = makeButton(QStringLiteral("Read"), QStringLiteral("readButton"), ramGroup);
    setAccessibleText(m_clearRam, QStringLiteral("Clear RAM"),
                      QStringLiteral("Writes zeros over the whole save RAM"));
    setAccessibleText(m_outFile, QStringLiteral("Out File for the save RAM read-back"),
                      QStringLiteral("Chooses the save file to copy the save RAM into"));
    setAccessibleText(m_read, QStringLiteral("Read save RAM"),
                      QStringLiteral("Copies the save RAM into the chosen file"));
    layOutSide(ramGroup, QStringLiteral("ram_out"), kReadHelp, QStringLiteral("Int. file name:"),
               QStringLiteral("save RAM in device"), m_internalName,
               {m_clearRam, nullptr, m_outFile, m_read});

    // Right: the file side.
    auto* fileGroup = new QGroupBox(QStringLiteral("Disk SRM file info:"), this);
    fileGroup->setObjectName(QStringLiteral("fileInfoGroup"));
    m_fileName = makeInfoField(QString(), QStringLiteral("fileName"), fileGroup, false);
    m_inFile = makeButton(QStringLiteral("In File"), QStringLiteral("inFileButton"), fileGroup);
    m_write = makeButton(QStringLiteral("Write"), QStringLiteral("writeButton"), fileGroup);
    m_verify = makeCheckBox(QStringLiteral("Verify data"), QStringLiteral("verifyBox"), fileGroup);
    setAccessibleText(m_inFile, QStringLiteral("In File for the save RAM"),
                      QStringLiteral("Chooses the save file to write into the save RAM"));
    setAccessibleText(m_write, QStringLiteral("Write save RAM"),
                      QStringLiteral("Writes the chosen save file into the cartridge's save RAM"));
    setAccessibleText(m_verify, QStringLiteral("Verify save RAM data"),
                      QStringLiteral("Reads every written block back and compares it"));
    layOutSide(fileGroup, QStringLiteral("ram_in"), kWriteHelp, QStringLiteral("File name:"),
               QStringLiteral("save file"), m_fileName, {m_verify, nullptr, m_inFile, m_write});

    // Below: the run.
    auto* statsGroup = new QGroupBox(QStringLiteral("Operations statistics:"), this);
    statsGroup->setObjectName(QStringLiteral("statisticsGroup"));
    m_progress = new QProgressBar(statsGroup);
    m_progress->setObjectName(QStringLiteral("progress"));
    m_progress->setTextVisible(false);
    m_progress->setRange(0, 100);
    m_progress->setValue(0);
    m_status = makeInfoField(QString(), QStringLiteral("statusLine"), statsGroup, false);
    m_status->setAlignment(Qt::AlignCenter);
    m_status->setFrame(false);
    m_processTime =
        makeInfoField(QStringLiteral("00:00:00"), QStringLiteral("processTime"), statsGroup, false);
    m_processTime->setFrame(false);
    m_refresh = makeButton(QStringLiteral("Refresh"), QStringLiteral("refreshButton"), statsGroup);
    setAccessibleText(m_refresh, QStringLiteral("Refresh save RAM"),
                      QStringLiteral("Asks the device again whether it has save RAM"));
    {
        const QString context = QStringLiteral("save RAM operation");
        setAccessibleText(m_status, fieldAccessibleName(QStringLiteral("Status"), context),
                          QStringLiteral("The running step and the outcome of the last read, "
                                         "write or clear"));
        auto* layout = new QGridLayout(statsGroup);
        layout->addWidget(
            makeFieldLabel(QStringLiteral("Progress:"), m_progress, statsGroup, context), 0, 0);
        layout->addWidget(m_progress, 0, 1, 1, 3);
        layout->addWidget(m_status, 1, 0, 1, 4);
        layout->addWidget(
            makeFieldLabel(QStringLiteral("Process Time:"), m_processTime, statsGroup, context), 2,
            0);
        layout->addWidget(m_processTime, 2, 1);
        layout->addWidget(m_refresh, 2, 3);
        layout->setColumnStretch(2, 1);
    }

    auto* top = new QHBoxLayout;
    top->addWidget(ramGroup, 1);
    top->addWidget(fileGroup, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addWidget(statsGroup);

    // Start states: only the file choices and "Refresh" are usable until a refresh found a
    // device; "Verify data" starts ticked.
    m_clearRam->setEnabled(false);
    m_read->setEnabled(false);
    m_write->setEnabled(false);
    m_verify->setChecked(true);
    m_verify->setEnabled(false);
}

namespace {

QueryFacts saveRamFacts(const SaveRamInfo& info) {
    return QueryFacts{info.deviceFound, info.answered};
}

}  // namespace

void CRAMPage::onSetActive() {
    RefreshRamPage();
}

void CRAMPage::RefreshRamPage() {
    refreshControls();
}

QueryProblem CRAMPage::refreshControls() {
    // A page coming to the front asks without a message of the library's.
    const DeviceReply<SaveRamInfo> reply =
        askDevice<SaveRamInfo>(&QuerySaveRamSize, saveRamFacts, device_step::kSaveRamQuery, false);
    // The busy flag is read on both sides of the query: an operation may have started meanwhile.
    const bool usable = reply.ok() && reply.value.ramSize != 0 && !deviceInUse();
    if (usable) {
        // "Read" and "Write" keep their state: they follow the file choices.
        for (QWidget* widget : {static_cast<QWidget*>(m_outFile), static_cast<QWidget*>(m_inFile),
                                static_cast<QWidget*>(m_clearRam), static_cast<QWidget*>(m_verify),
                                static_cast<QWidget*>(m_progress)}) {
            widget->setEnabled(true);
        }
        return reply.problem;
    }
    for (QWidget* widget : {static_cast<QWidget*>(m_clearRam), static_cast<QWidget*>(m_verify),
                            static_cast<QWidget*>(m_outFile), static_cast<QWidget*>(m_read),
                            static_cast<QWidget*>(m_inFile), static_cast<QWidget*>(m_write),
                            static_cast<QWidget*>(m_progress)}) {
        widget->setEnabled(false);
    }
    return reply.problem;
}

void CRAMPage::refreshPressed() {
    const QueryProblem problem = refreshControls();
    if (problem.kind == DeviceProblem::Refused) {
        showDeviceProblem(this, problem);
    }
}

DeviceReply<SaveRamInfo> CRAMPage::askSaveRam(SaveRamInfo (*query)(bool showMessage)) {
    // A device that stopped answering is said so: its zero sizes are no "no save RAM".
    DeviceReply<SaveRamInfo> reply =
        askDevice<SaveRamInfo>(query, saveRamFacts, device_step::kSaveRamQuery, true);
    showDeviceProblem(this, reply.problem);
    m_ramSize = reply.value.ramSize;
    return reply;
}

void CRAMPage::chooseOutFile() {
    const DeviceReply<SaveRamInfo> reply = askSaveRam(&QuerySaveRamForRead);
    const SaveRamInfo& info = reply.value;
    if (reply.problem.kind == DeviceProblem::NoAnswer) {
        m_read->setEnabled(false);
        return;
    }
    // A missing device has had its message; one without save RAM gets none.
    if (!reply.ok() || m_ramSize == 0) {
        return;
    }
    if (!info.opened) {
        // Gone between the size query and the open: the library's reason, if it gave one,
        // came after the size query and is asked for here.
        QueryProblem gone;
        gone.kind = DeviceProblem::NotFound;
        showDeviceProblem(this, gone);
        m_read->setEnabled(false);
        return;
    }
    m_readLength = info.readLength;

    const QString chosen = chooseFileToSave(this, QString::fromLatin1(kSaveRamDir), fileFilter(),
                                            suggestedFileName(info.storedName),
                                            QString::fromLatin1(kSaveRamExtension));
    if (chosen.isEmpty()) {
        return;
    }
    m_outPath = chosen;
    m_internalName->setText(QFileInfo(chosen).fileName());
    m_read->setEnabled(true);
}

void CRAMPage::startRead() {
    const SaveRamReadRequest request{toEnginePath(m_outPath), m_readLength};
    m_runner.BeginEngineOperation(controlsFor(DeviceOperation::SaveRamRead), ReadSaveRam, request,
                                  this);
}

void CRAMPage::chooseInFile() {
    if (!askSaveRam(&QuerySaveRamSize).ok() || m_ramSize == 0) {
        return;
    }

    const QString chosen = chooseFileToOpen(this, QString::fromLatin1(kLoadRamDir), fileFilter(),
                                            QString::fromLatin1(kSaveRamExtension));
    if (chosen.isEmpty()) {
        return;
    }
    // Measured as the write will read it: only a regular file, and never blocking on a FIFO.
    const InputFile file(toEnginePath(chosen));
    if (file.status() == InputFile::Status::NotRegular) {
        showMessage(this, QString::fromLatin1(kNotARegularFile), PromptIcon::Information);
        return;
    }
    if (!acceptSaveLayout(chosen)) {
        return;
    }
    m_inPath = chosen;
    // A file that cannot be opened keeps the size measured before; its write then ends quietly.
    if (file.opened()) {
        m_inSize = fileSize32(static_cast<qint64>(
            std::min<std::uint64_t>(file.size(), std::numeric_limits<qint64>::max())));
    }
    m_write->setEnabled(true);
    m_fileName->setText(QFileInfo(chosen).fileName());
}

PreparedSave CRAMPage::prepareSave(const QString& path) const {
    return PrepareSaveFile(toEnginePath(path), m_ramSize, m_namedLayout);
}

bool CRAMPage::acceptSaveLayout(const QString& path) {
    // A file refused here leaves the previous file, and the layout named for it, selected.
    const std::optional<SaveLayout> previous = std::exchange(m_namedLayout, std::nullopt);
    const auto refuse = [&] {
        m_namedLayout = previous;
        return false;
    };
    PreparedSave prepared = prepareSave(path);
    // An unreadable, too small or too large file is left to the write, which says so.
    if (!prepared.opened || prepared.detection.verdict == SaveLayoutVerdict::TooLarge ||
        !SaveFileMayFillBlock(static_cast<std::uint64_t>(QFileInfo(path).size()))) {
        return true;
    }
    if (prepared.detection.verdict == SaveLayoutVerdict::Ambiguous) {
        // Guessing would put the wrong bytes in the save RAM: the user knows where it came from.
        const std::vector<SaveLayoutChoice>& choices = prepared.detection.choices;
        QStringList answers;
        for (const SaveLayoutChoice& choice : choices) {
            answers.append(QString::fromStdString(choice.description));
        }
        const int picked = askChoice(
            this, QStringLiteral("Nuvrel can't tell how this save file is laid out. It holds a:"),
            answers);
        if (picked < 0) {
            return refuse();
        }
        m_namedLayout = choices[static_cast<std::size_t>(picked)].layout;
        prepared = prepareSave(path);
    }
    if (prepared.detection.verdict != SaveLayoutVerdict::Known) {
        showMessage(this, QString::fromStdString(prepared.detection.text), PromptIcon::Information);
        return refuse();
    }
    const bool noted = prepared.detection.text.find(kEvenBytesIgnored) != std::string::npos;
    if (prepared.detection.layout != SaveLayout::Window || noted) {
        m_status->setText(QString::fromStdString(prepared.detection.text));
    }
    return true;
}

void CRAMPage::startWrite() {
    // Looked at again: the file may have changed since "In File".
    const PreparedSave prepared = prepareSave(m_inPath);
    const bool known = prepared.opened && prepared.detection.verdict == SaveLayoutVerdict::Known;
    if (!SaveFileMayFillBlock(m_inSize) ||
        (known && !SaveFileHasBlockToSend(prepared.windowBytes))) {
        showMessage(this, QString::fromLatin1(kSaveTooSmallText), PromptIcon::Information);
        return;
    }
    if (known && !SaveFileFillsBlocks(prepared.windowBytes)) {
        showMessage(this, QString::fromStdString(SavePartialBlockMessage(prepared.windowBytes)),
                    PromptIcon::Information);
        return;
    }
    // The size is the one the last query saw; none means the device went missing since, which
    // is no fault of the file.
    if (m_ramSize == 0) {
        showMessage(this, QString::fromLatin1(kDeviceNotDetectedText), PromptIcon::Error);
        return;
    }
    // Nothing is sent when the file cannot fit: checked before the device is touched.
    if (!SaveFileFits(m_ramSize, m_inSize)) {
        showMessage(this, QString::fromStdString(SaveTooLargeMessage(m_ramSize, m_inSize)),
                    PromptIcon::Information);
        return;
    }
    const bool verify = m_verify->isChecked();
    SaveRamWriteRequest request{toEnginePath(m_inPath), m_inSize, verify};
    if (prepared.opened) {
        if (prepared.detection.verdict != SaveLayoutVerdict::Known) {
            showMessage(this, QString::fromStdString(prepared.detection.text),
                        PromptIcon::Information);
            return;
        }
        request.length = prepared.windowBytes;
        request.windowImage = prepared.windowImage;
    }
    const bool started = m_runner.BeginEngineOperation(controlsFor(DeviceOperation::SaveRamWrite),
                                                       WriteSaveRam, request, this);
    if (started) {
        m_verifyWrites = verify;
    }
}

void CRAMPage::startClear() {
    const QString busyText = QString::fromLatin1(kClearBusyText);
    if (deviceInUse()) {
        showMessage(this, busyText, PromptIcon::None);
        return;
    }
    const DeviceReply<SaveRamInfo> reply = askSaveRam(&QuerySaveRamSize);
    const DeviceProblem problem = reply.problem.kind;
    if (problem == DeviceProblem::NoAnswer || problem == DeviceProblem::Refused) {
        return;
    }
    if (!reply.ok() || m_ramSize == 0) {
        showMessage(this, QString::fromLatin1(kClearNoDeviceText), PromptIcon::Information);
        return;
    }
    // The clear covers the whole window. The input choice is dropped, so "Write" stays disabled
    // until "In File" is used again.
    m_inPath = QStringLiteral(" ");
    const SaveRamClearRequest request{m_ramSize, m_verifyWrites};
    m_runner.BeginEngineOperation(controlsFor(DeviceOperation::SaveRamClear), ClearSaveRam, request,
                                  this, busyText);
}

OperationControls CRAMPage::controlsFor(DeviceOperation operation) const {
    return controlsForOperation(
        operation, {m_progress, m_status, m_processTime, /*sector=*/nullptr},
        {m_write, m_read, m_inFile, m_outFile, m_verify, m_clearRam, /*fastErase=*/nullptr});
}

}  // namespace nuvrel
