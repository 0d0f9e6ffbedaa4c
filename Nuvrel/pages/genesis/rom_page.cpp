#include "pages/genesis/rom_page.h"

#include <QCheckBox>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
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

#include "engine/size_units.h"
#include "engine/status_text.h"
#include "genesis/rom_image.h"
#include "genesis/rom_reader.h"
#include "genesis/rom_writer.h"
#include "pages/genesis/rom_selection.h"
#include "patches/patch_list.h"
#include "shell/device_busy.h"
#include "shell/device_operation_runner.h"
#include "shell/file_names.h"
#include "shell/group_icon.h"
#include "shell/library_messages.h"
#include "shell/open_refusal_box.h"
#include "shell/remembered_folder.h"
#include "shell/selected_image.h"
#include "shell/settings_store.h"
#include "shell/user_prompts.h"
#include "shell/wait_cursor.h"

namespace nuvrel {

namespace {

const QString kNoInfoText = QString::fromLatin1(kNoInfo);

const QString kDeviceHelp = QStringLiteral(
    " To copy file from internal memory, please push button \"Out file\", select output file "
    "name on disk or other external srorrage and press \"Read\" button for start copy process.");
const QString kDiskHelp = QStringLiteral(
    " To store file from any external storrage, please push button \"In file\", select existing "
    "file from disk or other srorrage and press \"Write\" button for start store process.");

QLineEdit* makeField(const QString& text, const char* objectName, QWidget* parent) {
    auto* edit = new QLineEdit(text, parent);
    edit->setReadOnly(true);
    edit->setObjectName(QString::fromLatin1(objectName));
    return edit;
}

QPushButton* makeButton(const QString& caption, const char* objectName, QWidget* parent) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QString::fromLatin1(objectName));
    return button;
}

// The icon and the help text at the top of an info area.
QHBoxLayout* makeHelpRow(const QString& icon, const QString& help, QWidget* parent) {
    auto* row = new QHBoxLayout;
    row->addWidget(makeGroupIcon(icon, parent), 0, Qt::AlignTop);
    auto* text = new QLabel(help, parent);
    text->setWordWrap(true);
    text->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    row->addWidget(text, 1);
    return row;
}

QFormLayout* makeForm() {
    auto* form = new QFormLayout;
    form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    form->setVerticalSpacing(2);
    return form;
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

    // "Write" and the shared selection move together: whoever changes one (a selection on
    // either page, the runner at the start and end of an operation) changes the other.
    m_write->installEventFilter(this);
    connect(&m_image, &SelectedImage::changed, this, &CROMPage::showSelection);
    showSelection();
    setAcceptDrops(true);
}

QWidget* CROMPage::makeDeviceSide() {
    auto* group = new QGroupBox(QStringLiteral("ROM Memory info:"), this);
    auto* column = new QVBoxLayout(group);
    column->addLayout(makeHelpRow(QStringLiteral("rom_out"), kDeviceHelp, group));
    auto* form = makeForm();
    m_deviceFileName = makeField(kNoInfoText, "deviceFileName", group);
    m_deviceFileSize = makeField(kNoInfoText, "deviceFileSize", group);
    m_deviceDomesticName = makeField(kNoInfoText, "deviceDomesticName", group);
    form->addRow(QStringLiteral("Int. file name:"), m_deviceFileName);
    form->addRow(QStringLiteral("File size:"), m_deviceFileSize);
    form->addRow(QStringLiteral("Domestic ROM Name:"), m_deviceDomesticName);
    column->addLayout(form);
    column->addStretch(1);
    auto* buttons = new QHBoxLayout;
    m_outFile = makeButton(QStringLiteral("Out File"), "outFileButton", group);
    m_read = makeButton(QStringLiteral("Read"), "readButton", group);
    m_read->setEnabled(false);
    buttons->addWidget(m_outFile);
    buttons->addWidget(m_read);
    buttons->addStretch(1);
    column->addLayout(buttons);
    return group;
}

QWidget* CROMPage::makeDiskSide() {
    auto* group = new QGroupBox(QStringLiteral("Disk file info:"), this);
    auto* column = new QVBoxLayout(group);
    column->addLayout(makeHelpRow(QStringLiteral("rom_in"), kDiskHelp, group));
    auto* form = makeForm();
    m_diskFileName = makeField(kNoInfoText, "diskFileName", group);
    m_diskFileSize = makeField(kNoInfoText, "diskFileSize", group);
    m_diskDomesticName = makeField(kNoInfoText, "diskDomesticName", group);
    form->addRow(QStringLiteral("File name:"), m_diskFileName);
    form->addRow(QStringLiteral("File size:"), m_diskFileSize);
    form->addRow(QStringLiteral("Domestic ROM Name:"), m_diskDomesticName);
    column->addLayout(form);
    column->addStretch(1);
    auto* buttons = new QHBoxLayout;
    m_inFile = makeButton(QStringLiteral("In File"), "inFileButton", group);
    m_write = makeButton(QStringLiteral("Write"), "writeButton", group);
    m_write->setEnabled(false);
    m_verify = new QCheckBox(QStringLiteral("Verify data"), group);
    m_verify->setObjectName(QStringLiteral("verifyBox"));
    m_verify->setEnabled(false);
    m_fastErase = new QCheckBox(QStringLiteral("Fast Erase"), group);
    m_fastErase->setObjectName(QStringLiteral("fastEraseBox"));
    m_fastErase->setEnabled(false);
    buttons->addWidget(m_inFile);
    buttons->addWidget(m_write);
    buttons->addStretch(1);
    buttons->addWidget(m_verify);
    buttons->addWidget(m_fastErase);
    column->addLayout(buttons);
    return group;
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
    m_status = makeField(QString(), "statusLine", group);
    m_sector = makeField(QString(), "sectorField", group);
    m_processTime = makeField(QStringLiteral("00:00:00"), "processTimeField", group);
    m_processTime->setMaximumWidth(
        m_processTime->fontMetrics().horizontalAdvance(QStringLiteral("000:00:00")) + 16);
    grid->addWidget(new QLabel(QStringLiteral("Progress:"), group), 0, 0);
    grid->addWidget(m_progress, 0, 1, 1, 5);
    grid->addWidget(m_status, 1, 0, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("Sector:"), group), 1, 2);
    grid->addWidget(m_sector, 1, 3);
    grid->addWidget(new QLabel(QStringLiteral("Process Time:"), group), 1, 4);
    grid->addWidget(m_processTime, 1, 5);
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
    m_write->setEnabled(m_image.writeEnabled());
}

bool CROMPage::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_write && event->type() == QEvent::EnabledChange) {
        m_image.setWriteEnabled(!m_write->testAttribute(Qt::WA_Disabled));
    }
    return CSheetPage::eventFilter(watched, event);
}

OperationControls CROMPage::controlsFor(DeviceOperation operation) const {
    OperationControls controls;
    controls.progress = m_progress;
    controls.status = m_status;
    controls.processTime = m_processTime;
    controls.sector = m_sector;
    controls.fastErase = m_fastErase;
    OperationButtons buttons;
    buttons.write = m_write;
    buttons.read = m_read;
    buttons.inFile = m_inFile;
    buttons.outFile = m_outFile;
    buttons.verify = m_verify;
    buttons.fastErase = m_fastErase;
    applyControlsTable(operation, buttons, controls);
    return controls;
}

void CROMPage::OnWrite() {
    // The capacity is the one seen at selection; the device is not asked again here.
    if (!ImageFitsDevice(m_image.deviceCapacity(), m_image.size())) {
        showMessage(
            this,
            QString::fromStdString(RomTooLargeMessage(m_image.deviceCapacity(), m_image.size())),
            PromptIcon::Information);
        return;
    }
    RomWriteRequest request;
    request.imagePath = toEnginePath(m_image.path());
    request.imageSize = m_image.size();
    request.verify = m_verify->isChecked();
    request.fastErase = m_fastErase->isChecked();
    if (m_image.patchesReady()) {
        // The rows as they are now: editing the list during the write changes nothing written.
        request.applyPatches = [patches = m_patches](std::uint8_t* buffer, std::uint32_t length) {
            ApplyPatches(patches, buffer, length);
        };
    }
    m_runner.BeginEngineOperation(controlsFor(DeviceOperation::RomWrite), WriteRom,
                                  std::move(request), this);
}

void CROMPage::OnOutFile() {
    // The library serves one thread at a time: while another operation runs, the device is
    // not asked.
    if (deviceInUse()) {
        showMessage(this, QString::fromLatin1(kDeviceBusyText), PromptIcon::None);
        return;
    }
    DeviceRomInfo info;
    QString refusal;
    {
        const WaitCursor wait;
        const OpenRefusalWatch watch;
        info = QueryDeviceRom();
        if (!info.deviceFound) {
            refusal = watch.reason();
        }
    }
    if (!info.deviceFound) {
        m_read->setEnabled(false);
        if (!showOpenRefusal(this, refusal)) {
            showMessage(this, QString::fromLatin1(kDeviceNotDetectedText), PromptIcon::Error);
        }
        return;
    }
    if (!info.answered) {
        // The query stopped at a failed transfer: no size to read back, nothing to show.
        m_read->setEnabled(false);
        showMessage(this, QString::fromStdString(NoAnswerAt(device_step::kRomQuery).status),
                    PromptIcon::Error);
        return;
    }
    m_deviceDomesticName->setText(QString::fromLatin1(info.domesticName));
    m_deviceDomesticName->setCursorPosition(0);
    m_deviceFileSize->setText(QString::fromStdString(info.sizeText));
    m_deviceRomSize = info.romSize;

    // A name typed without an extension gets ".bin"; the dialog asks before replacing a file.
    const QString path = chooseFileToSave(this, QString::fromLatin1(kSaveRomDir), romImageFilter(),
                                          fromDeviceName(info.storedName), QStringLiteral("bin"));
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
    m_runner.BeginEngineOperation(controlsFor(DeviceOperation::RomRead), ReadRom,
                                  std::move(request), this);
}

void CROMPage::dragEnterEvent(QDragEnterEvent* event) {
    // A dropped image is chosen as "In File" would choose it, so only while "In File" is usable.
    if (m_inFile->isEnabled() && !droppedRomImage(event->mimeData()).isEmpty()) {
        event->acceptProposedAction();
    }
}

void CROMPage::dropEvent(QDropEvent* event) {
    const QString path = droppedRomImage(event->mimeData());
    if (path.isEmpty()) {
        return;
    }
    event->acceptProposedAction();
    selectImage(path);
}

}  // namespace nuvrel
