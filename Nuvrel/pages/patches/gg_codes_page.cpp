// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "pages/patches/gg_codes_page.h"

#include <QFile>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPalette>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "patches/hex_text.h"
#include "patches/patch_file.h"
#include "patches/patch_list.h"
#include "patches/patch_messages.h"
#include "shell/accessible_text.h"
#include "shell/dialog_filter.h"
#include "shell/file_names.h"
#include "shell/group_icon.h"
#include "shell/page_kit.h"
#include "shell/remembered_folder.h"
#include "shell/selected_image.h"
#include "shell/settings_store.h"
#include "shell/user_prompts.h"

namespace nuvrel {

namespace {

const QString kInstruction = QStringLiteral(
    "           Select ROM file, in \"ROM memory\" or in \"Extended ROM info\" bookmarks, and Add "
    "ROM patch, checked strings will be aplayed on selected ROM while it be writen.");
const QString kGroupTitle = QStringLiteral("              Aplayable Game Patches");
const QStringList kHeadings{QStringLiteral("Pos. in ROM"), QStringLiteral("DATA"),
                            QStringLiteral("GG Code")};

QString toQString(std::string_view text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

void say(QWidget* parent, std::string_view text) {
    showMessage(parent, toQString(text), PromptIcon::Warning);
}

QString fileFilter() {
    return dialogFilter(QString::fromLatin1(kPatchFileFilter));
}

QTableWidgetItem* makeItem(Qt::ItemFlags extra = {}) {
    auto* item = new QTableWidgetItem;
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | extra);
    return item;
}

}  // namespace

CGGCodes::CGGCodes(SelectedImage& image, PatchList& patches, QWidget* parent)
    : CSheetPage(QStringLiteral("Game ROM Patches"), parent),
      m_image(image),
      m_patches(patches),
      m_dialog(this) {
    buildControls();
    connect(m_add, &QPushButton::clicked, this, &CGGCodes::add);
    connect(m_modify, &QPushButton::clicked, this, &CGGCodes::modify);
    connect(m_delete, &QPushButton::clicked, this, &CGGCodes::remove);
    connect(m_load, &QPushButton::clicked, this, &CGGCodes::load);
    connect(m_save, &QPushButton::clicked, this, &CGGCodes::save);
    connect(m_list, &QTableWidget::itemChanged, this, &CGGCodes::onItemChanged);
    connect(m_list, &QTableWidget::itemSelectionChanged, this, &CGGCodes::onSelectionChanged);
}

void CGGCodes::buildControls() {
    auto* group = new QGroupBox(kGroupTitle, this);
    group->setObjectName(QStringLiteral("patchesGroup"));

    m_list = new QTableWidget(0, static_cast<int>(kHeadings.size()), group);
    m_list->setObjectName(QStringLiteral("patchList"));
    m_list->setHorizontalHeaderLabels(kHeadings);
    m_list->verticalHeader()->hide();
    m_list->setShowGrid(true);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setSortingEnabled(false);
    m_list->setWordWrap(false);
    QHeaderView* header = m_list->horizontalHeader();
    header->setSectionsClickable(false);
    header->setHighlightSections(false);
    header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    for (int column = 0; column < kHeadings.size(); ++column) {
        m_list->setColumnWidth(column,
                               header->fontMetrics().horizontalAdvance(kHeadings[column]) + 20);
    }
    // With most fonts a nine-letter code is wider than its heading: the last column takes the
    // rest of the list so the codes are never cut.
    header->setStretchLastSection(true);
    m_list->verticalHeader()->setDefaultSectionSize(m_list->fontMetrics().height() + 6);
    // The selection stays visible when the list loses the focus.
    QPalette palette = m_list->palette();
    for (const QPalette::ColorRole role : {QPalette::Highlight, QPalette::HighlightedText}) {
        palette.setColor(QPalette::Inactive, role, palette.color(QPalette::Active, role));
    }
    m_list->setPalette(palette);

    m_add = makeButton(QStringLiteral("Add"), QStringLiteral("addButton"), group);
    m_modify = makeButton(QStringLiteral("Modify"), QStringLiteral("modifyButton"), group);
    m_delete = makeButton(QStringLiteral("Delete"), QStringLiteral("deleteButton"), group);
    m_load = makeButton(QStringLiteral("Load"), QStringLiteral("loadButton"), group);
    m_save = makeButton(QStringLiteral("Save"), QStringLiteral("saveButton"), group);
    for (QPushButton* button : {m_add, m_modify, m_delete, m_load, m_save}) {
        button->setEnabled(false);
    }
    setAccessibleText(m_list, QStringLiteral("Patch list"),
                      QStringLiteral("Checked rows are applied to the image while it is "
                                     "programmed"));
    setAccessibleText(m_add, QStringLiteral("Add patch"));
    setAccessibleText(m_modify, QStringLiteral("Modify patch"),
                      QStringLiteral("Changes the selected row"));
    setAccessibleText(m_delete, QStringLiteral("Delete patch"),
                      QStringLiteral("Removes the selected row"));
    setAccessibleText(m_load, QStringLiteral("Load patch file"),
                      QStringLiteral("Replaces the list with the rows of a patch file"));
    setAccessibleText(m_save, QStringLiteral("Save patch file"),
                      QStringLiteral("Writes the list's rows into a patch file"));

    auto* instruction = new QLabel(kInstruction, group);
    instruction->setWordWrap(true);
    auto* top = new QHBoxLayout;
    top->addWidget(makeGroupIcon(QStringLiteral("game_genie"), group), 0, Qt::AlignTop);
    top->addWidget(instruction, 1);

    auto* buttons = new QVBoxLayout;
    buttons->addWidget(m_add);
    buttons->addWidget(m_modify);
    buttons->addWidget(m_delete);
    buttons->addStretch(1);
    buttons->addWidget(m_load);
    buttons->addWidget(m_save);
    auto* middle = new QHBoxLayout;
    middle->addWidget(m_list, 1);
    middle->addLayout(buttons);

    auto* inner = new QVBoxLayout(group);
    inner->addLayout(top);
    inner->addLayout(middle, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);

    m_list->setEnabled(false);
}

void CGGCodes::onInitPage() {
    m_editReady = RegisterParsedEditClass();
    if (m_editReady) {
        m_image.setPatchesReady();
        return;
    }
    // A plain box: the platform's own caption.
    userPrompts().message(this, QString(), toQString(patch_messages::kRegisterFailed),
                          PromptIcon::None, PromptButtons::Ok);
}

void CGGCodes::onSetActive() {
    m_romPath = m_image.path();
    m_romSize = m_image.size();
    if (m_romPath.isEmpty() || m_romSize == 0 || !m_image.writeEnabled()) {
        for (QWidget* widget : {static_cast<QWidget*>(m_add), static_cast<QWidget*>(m_modify),
                                static_cast<QWidget*>(m_delete), static_cast<QWidget*>(m_load),
                                static_cast<QWidget*>(m_save), static_cast<QWidget*>(m_list)}) {
            widget->setEnabled(false);
        }
        // The list can be saved without an image to write.
        updateRowButtons();
        return;
    }
    m_add->setEnabled(true);
    m_load->setEnabled(true);
    m_list->setEnabled(true);
    updateRowButtons();
}

void CGGCodes::add() {
    if (!m_editReady) {
        return;
    }
    const std::optional<DialogPatch> patch = runCodeDialog(0, 0, false);
    if (!patch) {
        return;
    }
    const std::optional<std::size_t> found = m_patches.FindPatchRow(patch->address);
    if (!found) {
        AppendPatchRow(patch->address, patch->word, patch->code);
        return;
    }
    if (showMessage(this, toQString(patch_messages::kAddressPresent), PromptIcon::Question,
                    PromptButtons::OkCancel) == PromptAnswer::Ok) {
        replaceRow(*found, patch->word, patch->code);
    }
}

void CGGCodes::modify() {
    const std::optional<std::size_t> selected = selectedRow();
    if (!selected) {
        say(this, patch_messages::kNoItemsSelected);
        return;
    }
    if (!m_editReady) {
        return;
    }
    const PatchRow& row = m_patches.row(*selected);
    const std::optional<DialogPatch> patch =
        runCodeDialog(ParseHexText(row.address), ParseHexText(row.data), true);
    if (!patch) {
        return;
    }
    // The first row with the address, which is not always the selected one: a loaded file may
    // hold an address twice.
    if (const std::optional<std::size_t> found = m_patches.FindPatchRow(patch->address)) {
        replaceRow(*found, patch->word, patch->code);
    } else {
        AppendPatchRow(patch->address, patch->word, patch->code);
    }
}

std::optional<CGGCodes::DialogPatch> CGGCodes::runCodeDialog(std::int32_t address,
                                                             std::int32_t word, bool modify) {
    m_dialog.setAddress(address);
    m_dialog.setData(word);
    m_dialog.setModify(modify);
    if (m_dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    DialogPatch patch{static_cast<std::uint32_t>(m_dialog.address()),
                      static_cast<std::uint32_t>(m_dialog.data()),
                      m_dialog.codeText().toStdString()};
    if (!checkRomArea(patch.address)) {
        return std::nullopt;
    }
    return patch;
}

void CGGCodes::remove() {
    const std::optional<std::size_t> selected = selectedRow();
    if (!selected) {
        say(this, patch_messages::kNoItemsSelected);
        return;
    }
    m_patches.DeletePatchRow(*selected);
    m_list->removeRow(static_cast<int>(*selected));
    --m_rowCount;
    // Qt would select the next row, and a second click would delete that one as well.
    m_list->selectionModel()->clear();
    updateRowButtons();
}

void CGGCodes::save() {
    const QString chosen = chooseFileToSave(this, QString::fromLatin1(kSaveGgCodeDir), fileFilter(),
                                            QString(), QString::fromLatin1(kPatchFileExtension));
    if (chosen.isEmpty()) {
        return;
    }
    const PatchFileResult result = SavePatchFile(toFileSystemPath(chosen), m_patches);
    if (result != PatchFileResult::Ok) {
        say(this, PatchFileMessage(result));
    }
}

void CGGCodes::load() {
    const QString chosen = chooseFileToOpen(this, QString::fromLatin1(kLoadGgCodeDir), fileFilter(),
                                            QString::fromLatin1(kPatchFileExtension));
    if (chosen.isEmpty()) {
        return;
    }
    const PatchList before = m_patches;
    const PatchFileResult result = LoadPatchFile(toFileSystemPath(chosen), m_romSize, m_patches);
    if (!(m_patches == before)) {
        m_rowCount = static_cast<int>(m_patches.size());
        showAllRows();
    }
    updateRowButtons();
    if (result != PatchFileResult::Ok) {
        say(this, PatchFileMessage(result));
    }
}

bool CGGCodes::checkRomArea(std::uint32_t address) {
    if (IsInRomArea(address, m_romSize)) {
        return true;
    }
    say(this, patch_messages::kAddressNotInRomArea);
    return false;
}

std::optional<std::size_t> CGGCodes::selectedRow() const {
    const QModelIndexList rows = m_list->selectionModel()->selectedRows();
    if (rows.isEmpty()) {
        return std::nullopt;
    }
    return static_cast<std::size_t>(rows.front().row());
}

void CGGCodes::AppendPatchRow(std::uint32_t address, std::uint32_t word, const std::string& code) {
    m_patches.AppendPatchRow(address, word, code);
    const std::size_t index = m_patches.size() - 1;
    m_list->insertRow(static_cast<int>(index));
    showRow(index);
    ++m_rowCount;
    updateRowButtons();
}

void CGGCodes::replaceRow(std::size_t index, std::uint32_t word, const std::string& code) {
    m_patches.ReplacePatchRow(index, word, code);
    showRow(index);
}

void CGGCodes::showRow(std::size_t index) {
    const PatchRow& row = m_patches.row(index);
    const int at = static_cast<int>(index);
    m_filling = true;
    if (m_list->item(at, 0) == nullptr) {
        m_list->setItem(at, 0, makeItem(Qt::ItemIsUserCheckable));
        m_list->setItem(at, 1, makeItem());
        m_list->setItem(at, 2, makeItem());
    }
    m_list->item(at, 0)->setCheckState(row.checked ? Qt::Checked : Qt::Unchecked);
    m_list->item(at, 0)->setText(toQString(row.address));
    m_list->item(at, 1)->setText(toQString(row.data));
    m_list->item(at, 2)->setText(toQString(row.code));
    m_filling = false;
}

void CGGCodes::showAllRows() {
    m_list->setRowCount(0);
    m_list->setRowCount(static_cast<int>(m_patches.size()));
    for (std::size_t index = 0; index < m_patches.size(); ++index) {
        showRow(index);
    }
}

void CGGCodes::onItemChanged(QTableWidgetItem* item) {
    if (m_filling || item->column() != 0) {
        return;
    }
    const auto index = static_cast<std::size_t>(item->row());
    if (index < m_patches.size()) {
        m_patches.SetChecked(index, item->checkState() == Qt::Checked);
    }
}

void CGGCodes::onSelectionChanged() {
    updateRowButtons();
}

void CGGCodes::updateRowButtons() {
    // "Modify" and "Delete" need a row picked in a usable list; "Save" needs rows only.
    const bool rowPicked = m_list->isEnabled() && selectedRow().has_value();
    m_modify->setEnabled(rowPicked);
    m_delete->setEnabled(rowPicked);
    m_save->setEnabled(!m_patches.empty());
}

}  // namespace nuvrel
