// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The "Game ROM Patches" page of the main sheet: a list of patches (address, data word, Game
// Genie code, and whether it is applied), entered with the Add Code dialog and saved to or loaded
// from a patch file. It edits the sheet's PatchList and keeps the list widget in step with it;
// the ROM write copies the checked rows when it starts. It works against the image selected on
// the "ROM memory" or "Extended ROM info" page.
#pragma once

#include <QString>
#include <cstdint>
#include <optional>
#include <string>

#include "pages/patches/gg_code_dialog.h"
#include "shell/sheet_page.h"

class QPushButton;
class QTableWidget;
class QTableWidgetItem;

namespace nuvrel {

class PatchList;
class SelectedImage;

inline constexpr const char* kPatchFileFilter = "Text files *.txt|*.txt|All files *.*|*.*|";
inline constexpr const char* kPatchFileExtension = "txt";

class CGGCodes : public CSheetPage {
    Q_OBJECT

  public:
    CGGCodes(SelectedImage& image, PatchList& patches, QWidget* parent = nullptr);

    // The button handlers.
    void add();
    void modify();
    void remove();
    void load();
    void save();

    // Rows in the list; drives the enabling of "Modify", "Delete" and "Save".
    int rowCount() const { return m_rowCount; }

    QTableWidget* list() const { return m_list; }
    QPushButton* addButton() const { return m_add; }
    QPushButton* modifyButton() const { return m_modify; }
    QPushButton* deleteButton() const { return m_delete; }
    QPushButton* loadButton() const { return m_load; }
    QPushButton* saveButton() const { return m_save; }
    CGGCode& codeDialog() { return m_dialog; }

  protected:
    void onInitPage() override;
    void onSetActive() override;

  private:
    // What the Add Code dialog gave back.
    struct DialogPatch {
        std::uint32_t address = 0;
        std::uint32_t word = 0;
        std::string code;
    };

    void buildControls();
    // Shows the Add Code dialog on these values; nullopt when it was cancelled or its address
    // lies outside the selected ROM (said with "Address not in ROM data Area!").
    std::optional<DialogPatch> runCodeDialog(std::int32_t address, std::int32_t word, bool modify);
    std::optional<std::size_t> selectedRow() const;
    void AppendPatchRow(std::uint32_t address, std::uint32_t word, const std::string& code);
    void replaceRow(std::size_t index, std::uint32_t word, const std::string& code);
    // The list widget's row from the PatchList's row.
    void showRow(std::size_t index);
    void showAllRows();
    void onItemChanged(QTableWidgetItem* item);
    void onSelectionChanged();
    void updateRowButtons();
    // False, after saying "Address not in ROM data Area!", when the address lies outside the
    // selected ROM.
    bool checkRomArea(std::uint32_t address);

    SelectedImage& m_image;
    PatchList& m_patches;
    // The selected ROM as it was when the page was last brought to the front.
    QString m_romPath;
    std::uint32_t m_romSize = 0;
    int m_rowCount = 0;
    // The parsed edit is set up: the Add Code dialog can be shown.
    bool m_editReady = false;
    // Rows being put into the list widget: their check boxes are not the user's.
    bool m_filling = false;

    QTableWidget* m_list = nullptr;
    QPushButton* m_add = nullptr;
    QPushButton* m_modify = nullptr;
    QPushButton* m_delete = nullptr;
    QPushButton* m_load = nullptr;
    QPushButton* m_save = nullptr;
    CGGCode m_dialog;
};

}  // namespace nuvrel
