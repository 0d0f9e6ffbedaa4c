// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The "ROM memory" page of the main sheet. Left, "ROM Memory info:": the ROM the device holds and
// its read-back into a file ("Out File", "Read"). Right, "Disk file info:": an image on disk and
// its programming ("In File", "Write"). Below, "Operations statistics:" for the running operation.
// The image selection lives in the sheet's SelectedImage, so a selection made on the "Extended ROM
// info" page shows here as well.
#pragma once

#include <functional>

#include <QString>
#include <cstdint>

#include "genesis/prepared_rom.h"
#include "shell/device_operation_runner.h"
#include "shell/operation_buttons.h"
#include "shell/operation_controls.h"
#include "shell/sheet_page.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;

namespace nuvrel {

class DigestView;
class PatchList;
class SelectedImage;

class CROMPage : public CSheetPage {
    Q_OBJECT

  public:
    CROMPage(DeviceOperationRunner& runner, SelectedImage& image, const PatchList& patches,
             QWidget* parent = nullptr);

    // "ROM Memory info:"
    QLineEdit* deviceFileName() const { return m_deviceFileName; }  // "Int. file name:"
    QLineEdit* deviceFileSize() const { return m_deviceFileSize; }
    QLineEdit* deviceDomesticName() const { return m_deviceDomesticName; }
    QPushButton* outFileButton() const { return m_outFile; }
    QPushButton* readButton() const { return m_read; }
    // "Disk file info:"
    QLineEdit* diskFileName() const { return m_diskFileName; }
    QLineEdit* diskFileSize() const { return m_diskFileSize; }
    QLineEdit* diskDomesticName() const { return m_diskDomesticName; }
    QPushButton* inFileButton() const { return m_inFile; }
    QPushButton* writeButton() const { return m_write; }
    QCheckBox* verifyBox() const { return m_verify; }
    QCheckBox* fastEraseBox() const { return m_fastErase; }
    QPushButton* compareButton() const { return m_compare; }
    QCheckBox* changedOnlyBox() const { return m_changedOnly; }
    // "Operations statistics:"
    QProgressBar* progressBar() const { return m_progress; }
    QLineEdit* statusLine() const { return m_status; }
    QLineEdit* sectorField() const { return m_sector; }
    QLineEdit* processTimeField() const { return m_processTime; }
    // Above "Write": how many checked patches the next write applies; empty when none.
    QLabel* patchNote() const { return m_patchNote; }
    // Below the statistics: the digests of the last complete write's image or read-back's file.
    DigestView* digestView() const { return m_digests; }

    void OnInFile();
    void OnWrite();
    // Compares the cartridge with the chosen image (patches applied); nothing is written.
    void OnCompare();
    void OnOutFile();
    void OnRead();

    // Selects an image as "In File" does once its dialog was confirmed (a dropped file); the
    // remembered folder stays as it was.
    void selectImage(const QString& path);

  protected:
    void onSetActive() override;

  private:
    // The size checks before a run on the chosen image; false after saying why it cannot run.
    bool imageFitsDevice();
    // The patches a run on the image applies: the rows as they are now, or none before the patch
    // page was shown.
    PatchApplier patchApplier() const;
    void startImageRun(DeviceOperation operation, DeviceWork work);
    QWidget* makeDeviceSide();
    QWidget* makeDiskSide();
    QWidget* makeStatistics();
    void checkSelectedImage(const QString& path);
    // A new selection from either page: taken at once, or after this page's run has ended.
    void onSelected();
    // One status line naming the conversion of an SMD or byte-swapped image.
    void showImageFormatNote(const QString& path);
    // Shows the shared selection: the disk-side texts and "Write".
    void showSelection();
    // The one place that decides whether "Write" is usable, and publishes it to the selection.
    void updateWrite();
    void updatePatchNote();
    // Starts an operation of this page; false when the runner refused it.
    bool beginRun(const std::function<bool()>& start);
    void onOperationEnded();
    OperationControls controlsFor(DeviceOperation operation) const;

    DeviceOperationRunner& m_runner;
    SelectedImage& m_image;
    const PatchList& m_patches;

    // m_outPath and m_deviceRomSize: the read-back's destination and length, set by "Out File".
    QString m_outPath;
    std::uint32_t m_deviceRomSize = 0;

    // A run of this page holds the disk side: what it shows is what the run used.
    bool m_runActive = false;
    // A selection arrived during the run; it is shown once the run has ended.
    bool m_selectionWaiting = false;
    // The selection may be written: set by a usable selection, dropped by a read-back (after
    // which "Write" waits for the next selection).
    bool m_writeArmed = false;

    QLineEdit* m_deviceFileName = nullptr;
    QLineEdit* m_deviceFileSize = nullptr;
    QLineEdit* m_deviceDomesticName = nullptr;
    QPushButton* m_outFile = nullptr;
    QPushButton* m_read = nullptr;
    QLineEdit* m_diskFileName = nullptr;
    QLineEdit* m_diskFileSize = nullptr;
    QLineEdit* m_diskDomesticName = nullptr;
    QPushButton* m_inFile = nullptr;
    QPushButton* m_write = nullptr;
    QCheckBox* m_verify = nullptr;
    QCheckBox* m_fastErase = nullptr;
    QPushButton* m_compare = nullptr;
    // "Write" reprograms only the sectors that differ from the image.
    QCheckBox* m_changedOnly = nullptr;
    QLabel* m_patchNote = nullptr;
    QProgressBar* m_progress = nullptr;
    QLineEdit* m_status = nullptr;
    QLineEdit* m_sector = nullptr;
    QLineEdit* m_processTime = nullptr;
    DigestView* m_digests = nullptr;
};

}  // namespace nuvrel
