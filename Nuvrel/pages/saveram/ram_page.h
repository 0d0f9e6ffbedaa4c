// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The "RAM memory" page of the main sheet: copies the device's save RAM into a Genesis save file
// (.srm), writes such a file into the device and clears the save RAM. The runs go through the
// sheet's runner; the page checks sizes, gathers the paths and keeps the enable rules.
#pragma once

#include <QString>
#include <cstdint>
#include <optional>

#include "saveram/save_ram.h"
#include "shell/device_query.h"
#include "shell/sheet_page.h"

class QCheckBox;
class QLineEdit;
class QProgressBar;
class QPushButton;

namespace nuvrel {

class DeviceOperationRunner;
struct OperationControls;
enum class DeviceOperation;

inline constexpr const char* kSaveRamFilter =
    "Save RAM Genesis files *.srm|*.srm|All files *.*|*.*|";
inline constexpr const char* kSaveRamExtension = "srm";
inline constexpr const char* kClearBusyText = "Velk Device is busy!";
inline constexpr const char* kClearNoDeviceText = "Velk Device not detected!";

class CRAMPage : public CSheetPage {
    Q_OBJECT

  public:
    explicit CRAMPage(DeviceOperationRunner& runner, QWidget* parent = nullptr);

    // Enables the page when a device with save RAM is there and no operation runs; otherwise
    // everything but "Refresh" is disabled. Runs on every activation and on "Refresh".
    void RefreshRamPage();

    // The button handlers, in the order of the page.
    void chooseOutFile();
    void startRead();
    void chooseInFile();
    void startWrite();
    void startClear();

    QLineEdit* internalNameField() const { return m_internalName; }
    QPushButton* clearRamButton() const { return m_clearRam; }
    QPushButton* outFileButton() const { return m_outFile; }
    QPushButton* readButton() const { return m_read; }
    QLineEdit* fileNameField() const { return m_fileName; }
    QPushButton* inFileButton() const { return m_inFile; }
    QPushButton* writeButton() const { return m_write; }
    QCheckBox* verifyBox() const { return m_verify; }
    QProgressBar* progressBar() const { return m_progress; }
    QLineEdit* statusLine() const { return m_status; }
    QLineEdit* processTimeField() const { return m_processTime; }
    QPushButton* refreshButton() const { return m_refresh; }

  protected:
    void onSetActive() override;

  private:
    void buildControls();
    // "Refresh": the refresh, and why the device could not be opened when the library knew.
    void refreshPressed();
    // The refresh's enabling; returns what kept the device from answering, if anything.
    QueryProblem refreshControls();
    OperationControls controlsFor(DeviceOperation operation) const;
    // A size query for a button: its problem shown to the user, the size kept in m_ramSize.
    DeviceReply<SaveRamInfo> askSaveRam(SaveRamInfo (*query)(bool showMessage));
    // The chosen save file read whole and its layout told, for the device last asked about.
    PreparedSave prepareSave(const QString& path) const;
    // "In File": a save in another program's layout is noted in the status line (the write
    // converts it); for one whose layout cannot be told the user names it, or it is refused.
    bool acceptSaveLayout(const QString& path);

    DeviceOperationRunner& m_runner;

    // The save-RAM value GetMaxSize last reported to "Out File", "In File" or "Clear RAM".
    std::uint32_t m_ramSize = 0;
    QString m_inPath;
    // The layout the user named for an ambiguous m_inPath; none: told from the file.
    std::optional<SaveLayout> m_namedLayout;
    QString m_outPath;
    // Bytes a write or clear transfers: the input file's size, or the clear length.
    std::uint32_t m_inSize = 0;
    // Bytes a read transfers: twice the save-RAM value, learned by "Out File".
    std::uint32_t m_readLength = 0;
    // Taken from "Verify data" by "Write"; a clear reuses it, so a clear verifies when the last
    // write did or when no write has run yet.
    bool m_verifyWrites = true;

    QLineEdit* m_internalName = nullptr;
    QPushButton* m_clearRam = nullptr;
    QPushButton* m_outFile = nullptr;
    QPushButton* m_read = nullptr;
    QLineEdit* m_fileName = nullptr;
    QPushButton* m_inFile = nullptr;
    QPushButton* m_write = nullptr;
    QCheckBox* m_verify = nullptr;
    QProgressBar* m_progress = nullptr;
    QLineEdit* m_status = nullptr;
    QLineEdit* m_processTime = nullptr;
    QPushButton* m_refresh = nullptr;
};

}  // namespace nuvrel
