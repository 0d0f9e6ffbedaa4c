// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The program's main window: a dialog holding the six task pages as tabs and one "E&xit" button.
// It owns what the pages share (the runner, the selected image, the patch list) and hands each
// page what it uses. It refuses to close while a device operation runs, so no worker outlives
// the pages it updates.
#pragma once

#include <QDialog>

#include "pages/devinfo/compatibility_page.h"
#include "pages/devinfo/dev_info_page.h"
#include "pages/genesis/exrom_page.h"
#include "pages/genesis/rom_page.h"
#include "pages/patches/gg_codes_page.h"
#include "pages/saveram/ram_page.h"
#include "patches/patch_list.h"
#include "shell/device_chooser.h"
#include "shell/device_operation_runner.h"
#include "shell/selected_image.h"

class QLabel;
class QPushButton;
class QTabWidget;

namespace nuvrel {

inline constexpr const char* kSheetTitle = "Velk Series storage loader";
inline constexpr const char* kExitRefusedText =
    "You can't exit from programm while device s processed!";

class CNuvrelSheet : public QDialog {
    Q_OBJECT

  public:
    explicit CNuvrelSheet(QWidget* parent = nullptr);
    ~CNuvrelSheet() override;

    DeviceOperationRunner& runner() { return m_runner; }
    SelectedImage& selectedImage() { return m_selectedImage; }
    PatchList& patchList() { return m_patchList; }
    QTabWidget* tabs() const { return m_tabs; }
    DeviceChooser* deviceChooser() const { return m_deviceChooser; }
    // Below the pages: the device the running or the next operation uses.
    QLabel* deviceNote() const { return m_deviceNote; }
    QPushButton* exitButton() const { return m_exitButton; }

    CROMPage& romPage() { return m_romPage; }
    CRAMPage& ramPage() { return m_ramPage; }
    CEXROMPage& exRomPage() { return m_exRomPage; }
    CDevInfo& devInfoPage() { return m_devInfoPage; }
    CCompatibility& compatibilityPage() { return m_compatibilityPage; }
    CGGCodes& ggCodesPage() { return m_ggCodesPage; }

    // Every way of ending the sheet (close box, Alt+F4, Escape, "E&xit") passes the exit guard.
    void done(int result) override;

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;

  private:
    void onCurrentChanged(int index);
    void showDeviceNote();

    // The shared pieces are built before the pages that use them and outlive them.
    DeviceOperationRunner m_runner;
    SelectedImage m_selectedImage;
    PatchList m_patchList;
    CROMPage m_romPage;
    CRAMPage m_ramPage;
    CEXROMPage m_exRomPage;
    CDevInfo m_devInfoPage;
    CCompatibility m_compatibilityPage;
    CGGCodes m_ggCodesPage;

    QTabWidget* m_tabs = nullptr;
    DeviceChooser* m_deviceChooser = nullptr;
    QLabel* m_deviceNote = nullptr;
    QPushButton* m_exitButton = nullptr;
    bool m_shownOnce = false;
};

}  // namespace nuvrel
