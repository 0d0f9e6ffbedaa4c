// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "pages/genesis/rom_page.h"

#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <functional>
#include <memory>
#include <tuple>

#include "engine/size_units.h"
#include "engine/status_text.h"
#include "genesis/prepared_rom.h"
#include "genesis/rom_changed_writer.h"
#include "genesis/rom_image.h"
#include "genesis/rom_reader.h"
#include "genesis/rom_verifier.h"
#include "genesis/rom_writer.h"
#include "pages/genesis/digest_view.h"
#include "pages/genesis/rom_selection.h"
#include "patches/patch_list.h"
#include "shell/accessible_text.h"
#include "shell/device_operation_runner.h"
#include "shell/device_query.h"
#include "shell/file_names.h"
#include "shell/group_icon.h"
#include "shell/library_messages.h"
#include "shell/open_refusal_box.h"
#include "shell/page_kit.h"
#include "shell/remembered_folder.h"
#include "shell/selected_image.h"
#include "shell/settings_store.h"
#include "shell/ui_thread.h"
#include "shell/user_prompts.h"

namespace nuvrel {

namespace {

// The end every run of the page shares: a refused open said, and on a complete run the digests
// shown. They are worked out on the worker: hashing a large image would hold the window.
void showDigestsOfCompleteRun(const OperationOutcome& outcome, OperationSink& sink,
                              DigestView* view, const std::function<DigestTexts()>& digests) {
    reportOpenRefusal(outcome, sink);
    if (outcome.result != OperationResult::Completed) {
        return;
    }
    const DigestTexts texts = digests();
    runOnObjectThread(view, [view, &texts] { view->showTexts(texts); });
}

// A run whose complete end shows the digests of file (a read-back's output).
template <typename Request>
DeviceWork runShowingDigests(OperationOutcome (*engine)(const Request&, OperationSink&),
                             Request request, const QString& file, DigestView* view) {
    return [engine, request = std::move(request), file, view](OperationSink& sink) {
        showDigestsOfCompleteRun(engine(request, sink), sink, view,
                                 [&file] { return DigestTextsOfFile(file); });
    };
}

// A run on the chosen image as the page starts it: the image is read, converted and patched on
// the worker (that reads the whole file, which would hold the window), from the patch rows as
// they were when the button was pressed. A complete run shows the digests of the bytes
// programmed or compared, after what `summary` says of the run.
template <typename Request>
DeviceWork runOnPreparedImage(OperationOutcome (*engine)(const Request&, OperationSink&),
                              std::string path, PatchApplier applyPatches, Request request,
                              DigestView* view, std::function<QString()> summary = {}) {
    return [engine, path = std::move(path), applyPatches = std::move(applyPatches),
            request = std::move(request), view, summary](OperationSink& sink) mutable {
        const RomPreparation prepared = PrepareRomImage(path, applyPatches);
        if (!prepared.rom) {
            sink.setStatus(RomPrepareFailureText(prepared.failure));
            return;
        }
        request.image = prepared.rom;
        showDigestsOfCompleteRun(engine(request, sink), sink, view, [&] {
            DigestTexts texts = DigestTextsOfBytes(prepared.rom->programmed());
            if (summary) {
                texts.digests = summary() + QStringLiteral("  ") + texts.digests;
            }
            return texts;
        });
    };
}

const QString kNoInfoText = QString::fromLatin1(kNoInfo);

const QString kDeviceHelp = QStringLiteral(
    " To copy file from internal memory, please push button \"Out file\", select output file "
    "name on disk or other external srorrage and press \"Read\" button for start copy process.");
const QString kDiskHelp = QStringLiteral(
    " To store file from any external storrage, please push button \"In file\", select existing "
    "file from disk or other srorrage and press \"Write\" button for start store process.");

// A side's file name, size and domestic name fields; side starts their object names.
std::tuple<QLineEdit*, QLineEdit*, QLineEdit*> addFileRows(const InfoPanel& panel,
                                                           const QString& nameLabel,
                                                           const QString& side) {
    return {addInfoRow(panel, nameLabel, kNoInfoText, side + QStringLiteral("FileName")),
            addInfoRow(panel, QStringLiteral("File size:"), kNoInfoText,
                       side + QStringLiteral("FileSize")),
            addInfoRow(panel, QStringLiteral("Domestic ROM Name:"), kNoInfoText,
                       side + QStringLiteral("DomesticName"))};
}

}  // namespace

CROMPage::CROMPage(DeviceOperationRunner& runner, SelectedImage& image, const PatchList& patches,
                   QWidget* parent)
    : CSheetPage(QStringLiteral("ROM memory"), parent),
      m_runner(runner),
      m_image(image),
      m_patches(patches) {
    auto* layout = new QVBoxLayout(this);
    auto* halves = new QHBoxLayout;
    halves->addWidget(makeDeviceSide(), 1);
    halves->addWidget(makeDiskSide(), 1);
    layout->addLayout(halves, 1);
    layout->addWidget(makeStatistics());

    connect(m_outFile, &QPushButton::clicked, this, &CROMPage::OnOutFile);
    connect(m_read, &QPushButton::clicked, this, &CROMPage::OnRead);
    connect(m_inFile, &QPushButton::clicked, this, &CROMPage::OnInFile);
    connect(m_write, &QPushButton::clicked, this, &CROMPage::OnWrite);
    connect(m_compare, &QPushButton::clicked, this, &CROMPage::OnCompare);

    connect(&m_image, &SelectedImage::selected, this, &CROMPage::onSelected);
    connect(&m_runner, &DeviceOperationRunner::operationEnded, this, &CROMPage::onOperationEnded);
    m_writeArmed = m_image.usable();
    showSelection();
    // A dropped image is chosen as "In File" would choose it, so only while "In File" is usable.
    acceptFileDrops(
        this, droppedRomImage, [this](const QString& path) { selectImage(path); },
        [this] { return m_inFile->isEnabled(); });
}

QWidget* CROMPage::makeDeviceSide() {
    const InfoPanel panel =
        makeInfoPanel(QStringLiteral("ROM Memory info:"), QStringLiteral("rom_out"), kDeviceHelp,
                      this, QStringLiteral("ROM in device"));
    std::tie(m_deviceFileName, m_deviceFileSize, m_deviceDomesticName) =
        addFileRows(panel, QStringLiteral("Int. file name:"), QStringLiteral("device"));
    m_outFile =
        makeButton(QStringLiteral("Out File"), QStringLiteral("outFileButton"), panel.group);
    m_read = makeButton(QStringLiteral("Read"), QStringLiteral("readButton"), panel.group);
    m_read->setEnabled(false);
    setAccessibleText(m_outFile, QStringLiteral("Out File for the ROM read-back"),
                      QStringLiteral("Shows the ROM in the device and chooses the file to copy it "
                                     "into"));
    setAccessibleText(m_read, QStringLiteral("Read ROM"),
                      QStringLiteral("Copies the device's ROM into the chosen file"));
    panel.buttons->addWidget(m_outFile);
    panel.buttons->addWidget(m_read);
    panel.buttons->addStretch(1);
    return panel.group;
}

QWidget* CROMPage::makeDiskSide() {
    const InfoPanel panel =
        makeInfoPanel(QStringLiteral("Disk file info:"), QStringLiteral("rom_in"), kDiskHelp, this,
                      QStringLiteral("image file"));
    std::tie(m_diskFileName, m_diskFileSize, m_diskDomesticName) =
        addFileRows(panel, QStringLiteral("File name:"), QStringLiteral("disk"));
    m_inFile = makeButton(QStringLiteral("In File"), QStringLiteral("inFileButton"), panel.group);
    m_write = makeButton(QStringLiteral("Write"), QStringLiteral("writeButton"), panel.group);
    m_write->setEnabled(false);
    // Created in the order of the row, which is the order Tab follows.
    m_compare = makeButton(QStringLiteral("Compare"), QStringLiteral("compareButton"), panel.group);
    m_compare->setEnabled(false);
    m_verify =
        makeCheckBox(QStringLiteral("Verify data"), QStringLiteral("verifyBox"), panel.group);
    m_verify->setEnabled(false);
    m_fastErase =
        makeCheckBox(QStringLiteral("Fast Erase"), QStringLiteral("fastEraseBox"), panel.group);
    m_fastErase->setEnabled(false);
    m_changedOnly = makeCheckBox(QStringLiteral("Changed sectors only"),
                                 QStringLiteral("changedOnlyBox"), panel.group);
    m_changedOnly->setEnabled(false);
    setAccessibleText(m_compare, QStringLiteral("Compare ROM with image"),
                      QStringLiteral("Reads the cartridge and compares it with the chosen image, "
                                     "patches applied; nothing is written"));
    setAccessibleText(m_changedOnly, QStringLiteral("Changed sectors only"),
                      QStringLiteral("Write reads the cartridge first and reprograms only the "
                                     "sectors that differ from the image"));
    setAccessibleText(m_inFile, QStringLiteral("In File for the ROM image"),
                      QStringLiteral("Chooses the Genesis image to program"));
    setAccessibleText(m_write, QStringLiteral("Write ROM"),
                      QStringLiteral("Programs the chosen image into the cartridge's flash"));
    setAccessibleText(m_verify, QStringLiteral("Verify ROM data"),
                      QStringLiteral("Reads every written block back and compares it"));
    setAccessibleText(m_fastErase, QStringLiteral("Fast Erase"),
                      QStringLiteral("Erases whole chips instead of sector by sector"));
    panel.buttons->addWidget(m_inFile);
    panel.buttons->addWidget(m_write);
    panel.buttons->addWidget(m_compare);
    panel.buttons->addStretch(1);
    panel.buttons->addWidget(m_verify);
    panel.buttons->addWidget(m_fastErase);
    panel.buttons->addWidget(m_changedOnly);
    // On its own line just above "Write": the row of buttons and boxes has no room to spare.
    m_patchNote = new QLabel(panel.group);
    m_patchNote->setObjectName(QStringLiteral("patchNote"));
    panel.column->insertWidget(panel.column->indexOf(panel.buttons), m_patchNote);
    return panel.group;
}

QWidget* CROMPage::makeStatistics() {
    auto* group = new QGroupBox(QStringLiteral("Operations statistics:"), this);
    auto* grid = new QGridLayout(group);
    grid->setVerticalSpacing(2);
    m_progress = new QProgressBar(group);
    m_progress->setObjectName(QStringLiteral("progressBar"));
    m_progress->setRange(0, 100);
    m_progress->setValue(0);
    m_progress->setTextVisible(false);
    m_status = makeInfoField(QString(), QStringLiteral("statusLine"), group);
    m_sector = makeInfoField(QString(), QStringLiteral("sectorField"), group);
    m_processTime =
        makeInfoField(QStringLiteral("00:00:00"), QStringLiteral("processTimeField"), group);
    m_processTime->setMaximumWidth(
        m_processTime->fontMetrics().horizontalAdvance(QStringLiteral("000:00:00")) + 16);
    const QString context = QStringLiteral("ROM operation");
    setAccessibleText(m_status, fieldAccessibleName(QStringLiteral("Status"), context),
                      QStringLiteral("The running step and the outcome of the last write or "
                                     "read-back"));
    grid->addWidget(makeFieldLabel(QStringLiteral("Progress:"), m_progress, group, context), 0, 0);
    grid->addWidget(m_progress, 0, 1, 1, 5);
    grid->addWidget(m_status, 1, 0, 1, 2);
    grid->addWidget(makeFieldLabel(QStringLiteral("Sector:"), m_sector, group, context), 1, 2);
    grid->addWidget(m_sector, 1, 3);
    grid->addWidget(makeFieldLabel(QStringLiteral("Process Time:"), m_processTime, group, context),
                    1, 4);
    grid->addWidget(m_processTime, 1, 5);
    m_digests = new DigestView(group);
    grid->addWidget(m_digests, 2, 0, 1, 6);
    grid->setColumnStretch(1, 3);
    grid->setColumnStretch(3, 1);
    return group;
}

void CROMPage::OnInFile() {
    if (!takeCapacityForSelection(this, m_image)) {
        return;
    }
    const QString path = chooseFileToOpen(this, QString::fromLatin1(kLoadRomDir), romImageFilter());
    if (path.isEmpty()) {
        return;
    }
    checkSelectedImage(path);
}

void CROMPage::selectImage(const QString& path) {
    if (!m_inFile->isEnabled() || !takeCapacityForSelection(this, m_image)) {
        return;
    }
    checkSelectedImage(path);
}

void CROMPage::checkSelectedImage(const QString& path) {
    // "Write" follows through the shared selection; the two boxes are this page's own.
    const bool usable = checkAndSelectImage(this, m_image, path);
    m_verify->setEnabled(usable);
    m_fastErase->setEnabled(usable);
    showImageFormatNote(path);
}

void CROMPage::showImageFormatNote(const QString& path) {
    // The file stays as it is; the user learns that what is programmed is its plain image.
    const RomFormatDetection format = DetectRomImageFile(toEnginePath(path));
    if (!format.note.empty()) {
        m_status->setText(QString::fromStdString(format.note));
    }
}

void CROMPage::onSelected() {
    if (m_runActive) {
        m_selectionWaiting = true;
        return;
    }
    m_writeArmed = m_image.usable();
    showSelection();
}

void CROMPage::onSetActive() {
    // The patch list changes only on its own page, so coming back here is when the note can
    // have become stale.
    updatePatchNote();
}

void CROMPage::showSelection() {
    const DiskFileTexts& texts = m_image.diskTexts();
    if (texts.fileName) {
        m_diskFileName->setText(*texts.fileName);
    }
    if (texts.sizeText) {
        m_diskFileSize->setText(*texts.sizeText);
    }
    if (texts.domesticName) {
        m_diskDomesticName->setText(*texts.domesticName);
        m_diskDomesticName->setCursorPosition(0);
    }
    updateWrite();
}

void CROMPage::updateWrite() {
    const bool usable = m_writeArmed && !m_runActive;
    m_write->setEnabled(usable);
    m_compare->setEnabled(usable);
    m_changedOnly->setEnabled(usable);
    m_image.setWriteEnabled(usable);
    updatePatchNote();
}

void CROMPage::updatePatchNote() {
    // Patches apply only once the patch page exists, as the write itself decides.
    const std::size_t count =
        m_image.patchesReady() ? AppliedPatchCount(m_patches, m_image.size()) : 0;
    if (count == 0) {
        m_patchNote->clear();
    } else if (count == 1) {
        m_patchNote->setText(QStringLiteral("1 patch will be applied"));
    } else {
        m_patchNote->setText(QStringLiteral("%1 patches will be applied").arg(count));
    }
}

bool CROMPage::beginRun(const std::function<bool()>& start) {
    // Set before the start: a run that ends within the start wait ends before the call returns.
    m_runActive = true;
    updateWrite();
    if (!start()) {
        m_runActive = false;
        updateWrite();
        return false;
    }
    return true;
}

void CROMPage::onOperationEnded() {
    if (!m_runActive) {
        // Another page's operation.
        return;
    }
    m_runActive = false;
    if (m_selectionWaiting) {
        m_selectionWaiting = false;
        m_writeArmed = m_image.usable();
    }
    showSelection();
}

OperationControls CROMPage::controlsFor(DeviceOperation operation) const {
    return controlsForOperation(
        operation, {m_progress, m_status, m_processTime, m_sector},
        {m_write, m_read, m_inFile, m_outFile, m_verify, /*clearRam=*/nullptr, m_fastErase});
}

bool CROMPage::imageFitsDevice() {
    if (!ImageHasBlockToSend(m_image.size())) {
        showMessage(this, QString::fromLatin1(kRomTooSmallText), PromptIcon::Information);
        return false;
    }
    // The capacity is the one seen at selection; the device is not asked again here. None was
    // seen when the device went missing since: that is no fault of the file.
    if (m_image.deviceCapacity() == 0) {
        showMessage(this, QString::fromLatin1(kDeviceNotDetectedText), PromptIcon::Error);
        return false;
    }
    if (!ImageFitsDevice(m_image.deviceCapacity(), m_image.size())) {
        showMessage(
            this,
            QString::fromStdString(RomTooLargeMessage(m_image.deviceCapacity(), m_image.size())),
            PromptIcon::Information);
        return false;
    }
    return true;
}

void CROMPage::OnWrite() {
    if (!imageFitsDevice()) {
        return;
    }
    RomWriteRequest request;
    request.verify = m_verify->isChecked();
    request.fastErase = m_fastErase->isChecked();
    if (m_changedOnly->isChecked()) {
        // The same engine as the command line's --changed-only.
        auto count = std::make_shared<ChangedSectorCount>();
        RomChangedWriteRequest changed;
        changed.verify = request.verify;
        changed.count = count.get();
        startImageRun(DeviceOperation::RomWrite,
                      runOnPreparedImage(WriteChangedRom, toEnginePath(m_image.path()),
                                         patchApplier(), std::move(changed), m_digests, [count] {
                                             return QStringLiteral("Sectors rewritten: %1 of %2")
                                                 .arg(count->rewritten)
                                                 .arg(count->compared);
                                         }));
        return;
    }
    startImageRun(DeviceOperation::RomWrite,
                  runOnPreparedImage(WriteRom, toEnginePath(m_image.path()), patchApplier(),
                                     std::move(request), m_digests));
}

void CROMPage::OnCompare() {
    if (!imageFitsDevice()) {
        return;
    }
    // The same comparison as the command line's `rom verify`: nothing is written.
    startImageRun(DeviceOperation::RomWrite,
                  runOnPreparedImage(VerifyRom, toEnginePath(m_image.path()), patchApplier(),
                                     RomVerifyRequest{}, m_digests));
}

PatchApplier CROMPage::patchApplier() const {
    if (!m_image.patchesReady()) {
        return {};
    }
    // A copy: editing the list during the run changes nothing written or compared.
    return [patches = m_patches](std::uint8_t* buffer, std::uint32_t length) {
        ApplyPatches(patches, buffer, length);
    };
}

void CROMPage::startImageRun(DeviceOperation operation, DeviceWork work) {
    beginRun([&] {
        m_digests->clear();
        OperationControls controls = controlsFor(operation);
        controls.disabledAtStart.push_back(m_compare);
        controls.disabledAtStart.push_back(m_changedOnly);
        return m_runner.BeginDeviceOperation(controls, std::move(work), this);
    });
}

void CROMPage::OnOutFile() {
    const DeviceReply<DeviceRomInfo> reply =
        askDevice<DeviceRomInfo>([](bool) { return QueryDeviceRom(); },
                                 [](const DeviceRomInfo& info) {
                                     return QueryFacts{info.deviceFound, info.answered};
                                 },
                                 device_step::kRomQuery, false);
    if (!reply.ok()) {
        // While another operation runs the device is not asked and "Read" keeps its state; a
        // device missing or not answering leaves no size to read back.
        if (reply.problem.kind != DeviceProblem::Busy) {
            m_read->setEnabled(false);
        }
        showDeviceProblem(this, reply.problem);
        return;
    }
    const DeviceRomInfo& info = reply.value;
    m_deviceDomesticName->setText(QString::fromLatin1(info.domesticName));
    m_deviceDomesticName->setCursorPosition(0);
    m_deviceFileSize->setText(QString::fromStdString(info.sizeText));
    m_deviceRomSize = info.romSize;

    // A name typed without an extension gets ".bin"; the dialog asks before replacing a file.
    const QString path =
        chooseFileToSave(this, QString::fromLatin1(kSaveRomDir), romImageFilter(),
                         suggestedFileName(info.storedName), QStringLiteral("bin"));
    if (path.isEmpty()) {
        return;
    }
    m_outPath = path;
    m_deviceFileName->setText(QFileInfo(path).fileName());
    m_read->setEnabled(true);
}

void CROMPage::OnRead() {
    RomReadRequest request;
    request.outputPath = toEnginePath(m_outPath);
    request.length = m_deviceRomSize;
    // After a read-back "Write" waits for the next selection.
    if (beginRun([&] {
            m_digests->clear();
            return m_runner.BeginDeviceOperation(
                controlsFor(DeviceOperation::RomRead),
                runShowingDigests(ReadRom, std::move(request), m_outPath, m_digests), this);
        })) {
        m_writeArmed = false;
        updateWrite();
    }
}

}  // namespace nuvrel
