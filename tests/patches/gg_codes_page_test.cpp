// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The "Game ROM Patches" page: the rows it keeps (in the list the user sees and in the sheet's
// PatchList the ROM write reads), its messages, its enable rules and its patch files.
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <functional>

#include "pages/patches/gg_codes_page.h"
#include "patches/game_genie.h"
#include "patches/patch_list.h"
#include "shell/selected_image.h"
#include "shell/settings_store.h"
#include "support/gui_test_main.h"
#include "support/recording_prompts.h"

using nuvrel::CGGCode;
using nuvrel::CGGCodes;
using nuvrel::PromptAnswer;
using nuvrel::testing::RecordingPrompts;

namespace {

constexpr std::uint32_t kRomSize = 0x10000;

// The page with a selected 64 KiB image whose "Write" is usable, brought to the front.
struct Bench {
    Bench() {
        image.setPath(QStringLiteral("/roms/game.bin"));
        image.setSize(kRomSize);
        image.setWriteEnabled(true);
        page.activate();
    }

    // Runs the Add Code dialog the button opens: fill() types into it, then OK (or Cancel).
    void inDialog(QPushButton* button, const std::function<void(CGGCode&)>& fill, bool ok = true) {
        bool shown = false;
        QTimer::singleShot(0, &page, [&] {
            CGGCode& dialog = page.codeDialog();
            shown = dialog.isVisible();
            fill(dialog);
            ok ? dialog.accept() : dialog.reject();
        });
        button->click();
        QVERIFY(shown);
    }
    void addPatch(const QString& address, const QString& data) {
        inDialog(page.addButton(), [&](CGGCode& dialog) {
            type(dialog.addressField(), address);
            type(dialog.dataField(), data);
        });
    }
    static void type(QLineEdit* field, const QString& text) {
        field->setFocus();
        field->selectAll();
        QTest::keyClick(field, Qt::Key_Backspace);
        QTest::keyClicks(field, text);
    }
    void select(int row) { page.list()->selectRow(row); }

    // The rows as the list shows them: check mark, address, data, code.
    QStringList shown() const {
        QStringList rows;
        const QTableWidget* list = page.list();
        for (int row = 0; row < list->rowCount(); ++row) {
            rows << QStringLiteral("%1 %2 %3 %4")
                        .arg(list->item(row, 0)->checkState() == Qt::Checked ? "x" : "-",
                             list->item(row, 0)->text(), list->item(row, 1)->text(),
                             list->item(row, 2)->text());
        }
        return rows;
    }
    // The rows the ROM write would get.
    QStringList kept() const {
        QStringList rows;
        for (const nuvrel::PatchRow& row : patches.rows()) {
            rows << QStringLiteral("%1 %2 %3 %4")
                        .arg(row.checked ? "x" : "-", QString::fromStdString(row.address),
                             QString::fromStdString(row.data), QString::fromStdString(row.code));
        }
        return rows;
    }
    QStringList enabled() const {
        QStringList names;
        for (QWidget* widget :
             {static_cast<QWidget*>(page.addButton()), static_cast<QWidget*>(page.modifyButton()),
              static_cast<QWidget*>(page.deleteButton()), static_cast<QWidget*>(page.loadButton()),
              static_cast<QWidget*>(page.saveButton()), static_cast<QWidget*>(page.list())}) {
            if (widget->isEnabled()) {
                names << widget->objectName();
            }
        }
        return names;
    }
    QString path(const QString& name) const { return QDir(folder.path()).filePath(name); }

    RecordingPrompts prompts;
    QTemporaryDir folder;
    nuvrel::SelectedImage image;
    nuvrel::PatchList patches;
    CGGCodes page{image, patches};
};

const QStringList kNoRows{"addButton", "loadButton", "patchList"};
const QStringList kWithRows{"addButton",  "modifyButton", "deleteButton",
                            "loadButton", "saveButton",   "patchList"};
// Rows but none picked: nothing to change or delete.
const QStringList kRowsUnpicked{"addButton", "loadButton", "saveButton", "patchList"};

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

}  // namespace

class GGCodesPageTest : public QObject {
    Q_OBJECT

  private slots:
    void texts_columns_and_the_list_style() {
        nuvrel::SelectedImage image;
        nuvrel::PatchList patches;
        CGGCodes page(image, patches);
        QCOMPARE(page.caption(), QStringLiteral("Game ROM Patches"));
        QCOMPARE(page.findChild<QGroupBox*>()->title(),
                 QStringLiteral("              Aplayable Game Patches"));
        QStringList labels;
        for (QLabel* label : page.findChildren<QLabel*>()) {
            labels << label->text();
        }
        QVERIFY(labels.contains(
            "           Select ROM file, in \"ROM memory\" or in \"Extended ROM info\" bookmarks, "
            "and Add ROM patch, checked strings will be aplayed on selected ROM while it be "
            "writen."));
        QTableWidget* list = page.list();
        const QStringList headings{"Pos. in ROM", "DATA", "GG Code"};
        for (int column = 0; column < 3; ++column) {
            QCOMPARE(list->horizontalHeaderItem(column)->text(), headings[column]);
            const int headingWidth =
                list->horizontalHeader()->fontMetrics().horizontalAdvance(headings[column]) + 20;
            // The last column also takes the room left over.
            QVERIFY(column < 2 ? list->columnWidth(column) == headingWidth
                               : list->columnWidth(column) >= headingWidth);
        }
        QVERIFY(list->showGrid());
        QCOMPARE(list->selectionBehavior(), QAbstractItemView::SelectRows);
        QCOMPARE(list->selectionMode(), QAbstractItemView::SingleSelection);
        QVERIFY(!list->isSortingEnabled());
        QVERIFY(!list->horizontalHeader()->sectionsClickable());
        QCOMPARE(list->palette().color(QPalette::Inactive, QPalette::Highlight),
                 list->palette().color(QPalette::Active, QPalette::Highlight));
        QCOMPARE(page.addButton()->text(), QStringLiteral("Add"));
        QCOMPARE(page.modifyButton()->text(), QStringLiteral("Modify"));
        QCOMPARE(page.deleteButton()->text(), QStringLiteral("Delete"));
        QCOMPARE(page.loadButton()->text(), QStringLiteral("Load"));
        QCOMPARE(page.saveButton()->text(), QStringLiteral("Save"));
    }

    void creation_sets_patches_ready_and_activation_follows_the_selected_rom() {
        nuvrel::SelectedImage image;
        nuvrel::PatchList patches;
        RecordingPrompts prompts;
        CGGCodes page(image, patches);
        QVERIFY(!image.patchesReady());
        QVERIFY(!page.list()->isEnabled());
        page.activate();  // no image selected
        QVERIFY(image.patchesReady());
        QVERIFY(!page.addButton()->isEnabled() && !page.loadButton()->isEnabled());

        image.setPath(QStringLiteral("/roms/game.bin"));
        image.setSize(kRomSize);
        page.activate();  // "Write" not usable on the ROM page
        QVERIFY(!page.addButton()->isEnabled() && !page.list()->isEnabled());
        image.setWriteEnabled(true);
        page.activate();
        QVERIFY(page.addButton()->isEnabled() && page.loadButton()->isEnabled());
        QVERIFY(page.list()->isEnabled());
        QVERIFY(prompts.messages.empty());
    }

    void add_appends_an_unchecked_row_and_the_row_buttons_follow_the_rows() {
        Bench bench;
        QCOMPARE(bench.enabled(), kNoRows);
        bench.addPatch("00aa80", "00bb");
        QCOMPARE(bench.shown(), QStringList{"- 00AA80 00BB 1RZA-AAEA"});
        QCOMPARE(bench.kept(), bench.shown());
        QCOMPARE(bench.page.rowCount(), 1);
        QCOMPARE(bench.enabled(), kRowsUnpicked);

        bench.inDialog(bench.page.addButton(), [](CGGCode& dialog) {
            dialog.codeModeButton()->click();
            Bench::type(dialog.firstCodeField(), "AAAB");
            Bench::type(dialog.secondCodeField(), "LAAA");
        });
        // AAAB-LAAA is 0x150000, outside the 64 KiB image.
        QCOMPARE(bench.shown(), QStringList{"- 00AA80 00BB 1RZA-AAEA"});
        QCOMPARE(bench.prompts.texts(), QStringList{"Address not in ROM data Area!"});

        bench.select(0);
        bench.page.deleteButton()->click();
        QVERIFY(bench.shown().isEmpty());
        QVERIFY(bench.patches.empty());
        QCOMPARE(bench.page.rowCount(), 0);
        QCOMPARE(bench.enabled(), kNoRows);
    }

    void a_cancelled_dialog_adds_nothing() {
        Bench bench;
        bench.inDialog(
            bench.page.addButton(),
            [](CGGCode& dialog) { Bench::type(dialog.addressField(), "000100"); }, false);
        QVERIFY(bench.shown().isEmpty());
        QVERIFY(bench.prompts.messages.empty());
    }

    void adding_an_address_again_asks_before_replacing_data() {
        QTest::addColumn<bool>("replace");
        QTest::newRow("OK") << true;
        QTest::newRow("Cancel") << false;
    }

    void adding_an_address_again_asks_before_replacing() {
        QFETCH(bool, replace);
        Bench bench;
        bench.addPatch("000200", "4E71");
        bench.addPatch("000300", "0001");
        bench.page.list()->item(0, 0)->setCheckState(Qt::Checked);
        bench.prompts.answers.push_back(replace ? PromptAnswer::Ok : PromptAnswer::Cancel);
        const QStringList before = bench.shown();

        bench.addPatch("000200", "6000");

        QCOMPARE(bench.prompts.texts(),
                 QStringList{"Address already present, would you like replace address with new "
                             "data?"});
        QCOMPARE(bench.prompts.messages.front().buttons, nuvrel::PromptButtons::OkCancel);
        char code[nuvrel::kGameGenieCodeBufferSize];
        nuvrel::EncodeGameGenie(0x200, 0x6000, code);
        QCOMPARE(
            bench.shown(),
            replace ? QStringList({QStringLiteral("x 000200 6000 ") + code, before[1]}) : before);
        QCOMPARE(bench.kept(), bench.shown());
    }

    void modify_changes_the_first_row_with_the_address() {
        Bench bench;
        writeFile(bench.path("twice.txt"), "000200:1111\r\n000200:2222\r\n");
        bench.prompts.paths.push_back(bench.path("twice.txt"));
        bench.page.loadButton()->click();
        QCOMPARE(bench.page.rowCount(), 2);
        bench.select(1);
        bench.inDialog(bench.page.modifyButton(), [](CGGCode& dialog) {
            QCOMPARE(dialog.addressField()->text(), QStringLiteral("000200"));
            QCOMPARE(dialog.dataField()->text(), QStringLiteral("2222"));
            QVERIFY(!dialog.addressField()->isEnabled());
            QVERIFY(!dialog.codeModeButton()->isEnabled());
            Bench::type(dialog.dataField(), "3333");
        });
        QCOMPARE(bench.patches.row(0).data, std::string("3333"));
        QCOMPARE(bench.patches.row(1).data, std::string("2222"));
        QCOMPARE(bench.kept(), bench.shown());
    }

    void modify_and_delete_need_a_selected_row() {
        Bench bench;
        bench.addPatch("000200", "4E71");
        bench.page.list()->clearSelection();
        QVERIFY(!bench.page.modifyButton()->isEnabled());
        QVERIFY(!bench.page.deleteButton()->isEnabled());
        bench.page.modifyButton()->click();
        bench.page.deleteButton()->click();
        QVERIFY(bench.prompts.messages.empty());
        QCOMPARE(bench.page.rowCount(), 1);
    }

    void delete_leaves_no_row_selected() {
        Bench bench;
        bench.addPatch("000200", "4E71");
        bench.addPatch("000300", "0001");
        bench.addPatch("000400", "0002");
        bench.select(0);
        bench.page.deleteButton()->click();
        // A second click cannot take the next row with it.
        QVERIFY(bench.page.list()->selectionModel()->selectedRows().isEmpty());
        QCOMPARE(bench.enabled(), kRowsUnpicked);
        bench.page.deleteButton()->click();
        QCOMPARE(bench.page.rowCount(), 2);
    }

    void activation_enables_modify_and_delete_only_for_a_selected_row() {
        Bench bench;
        bench.addPatch("000200", "4E71");
        bench.image.setWriteEnabled(false);  // a ROM write runs, or a read-back has run
        bench.page.activate();
        // The list can still be saved.
        QCOMPARE(bench.enabled(), QStringList{"saveButton"});
        bench.image.setWriteEnabled(true);
        bench.page.list()->clearSelection();
        bench.page.activate();
        QCOMPARE(bench.enabled(),
                 QStringList({"addButton", "loadButton", "saveButton", "patchList"}));
        // Picking a row makes it changeable again.
        bench.select(0);
        QCOMPARE(bench.enabled(), kWithRows);
    }

    void check_marks_reach_the_rows_the_rom_write_reads() {
        Bench bench;
        bench.addPatch("000200", "4E71");
        bench.addPatch("000202", "4E75");
        bench.page.list()->item(1, 0)->setCheckState(Qt::Checked);
        QCOMPARE(bench.kept(), bench.shown());
        std::vector<std::uint8_t> image(0x400, 0xFF);
        nuvrel::ApplyPatches(bench.patches, image, 0x3FF);
        QCOMPARE(image[0x200], std::uint8_t{0xFF});  // unchecked
        QCOMPARE(image[0x202], std::uint8_t{0x4E});
        QCOMPARE(image[0x203], std::uint8_t{0x75});
    }

    void save_then_load_gives_the_same_rows() {
        Bench bench;
        bench.addPatch("00AA80", "00BB");
        bench.addPatch("000001", "FFFF");
        const QString file = bench.path("codes.txt");
        bench.prompts.paths.push_back(file);
        bench.page.saveButton()->click();
        QCOMPARE(readFile(file), QByteArray("00AA80:00BB\r\n000001:FFFF\r\n"));
        const auto& saveDialog = bench.prompts.dialogs.back();
        QVERIFY(saveDialog.save);
        QCOMPARE(saveDialog.filter, QStringLiteral("Text files *.txt (*.txt);;All files *.* (*)"));
        QCOMPARE(saveDialog.defaultSuffix, QStringLiteral("txt"));
        QString remembered;
        QVERIFY(nuvrel::ReadSettingString(nuvrel::SettingsKey, nuvrel::kSaveGgCodeDir, remembered));
        QCOMPARE(QDir(remembered), QDir(bench.folder.path()));

        const QStringList saved = bench.shown();
        bench.page.list()->item(0, 0)->setCheckState(Qt::Checked);
        bench.prompts.paths.push_back(file);
        bench.page.loadButton()->click();
        QCOMPARE(bench.shown(), saved);  // loaded rows are unchecked
        QCOMPARE(bench.kept(), saved);
        QCOMPARE(bench.page.rowCount(), 2);
        QVERIFY(nuvrel::ReadSettingString(nuvrel::SettingsKey, nuvrel::kLoadGgCodeDir, remembered));
        QCOMPARE(QDir(remembered), QDir(bench.folder.path()));
        QVERIFY(bench.prompts.messages.empty());
    }

    void loading_skips_rows_outside_the_rom_and_keeps_wide_data_words() {
        Bench bench;
        writeFile(bench.path("mixed.txt"), " 0x10:12345\n010000:0001\r\n00ffff:abcd\n");
        bench.prompts.paths.push_back(bench.path("mixed.txt"));
        bench.page.loadButton()->click();
        char wide[nuvrel::kGameGenieCodeBufferSize];
        nuvrel::EncodeGameGenie(0x10, 0x2345, wide);
        char last[nuvrel::kGameGenieCodeBufferSize];
        nuvrel::EncodeGameGenie(0xFFFF, 0xABCD, last);
        QCOMPARE(bench.shown(), QStringList({QStringLiteral("- 000010 12345 ") + wide,
                                             QStringLiteral("- 00FFFF ABCD ") + last}));
        QCOMPARE(bench.enabled(), kRowsUnpicked);

        // Modify on the wide row with nothing changed keeps the whole number.
        bench.select(0);
        bench.inDialog(bench.page.modifyButton(), [](CGGCode&) {});
        QCOMPARE(bench.patches.row(0).data, std::string("12345"));
    }

    void a_line_without_a_colon_empties_the_list() {
        Bench bench;
        bench.addPatch("000200", "4E71");
        writeFile(bench.path("trailing.txt"), "000300:0001\r\n000302:0002\r\n\r\n");
        bench.prompts.paths.push_back(bench.path("trailing.txt"));
        bench.page.loadButton()->click();
        QCOMPARE(bench.prompts.texts(), QStringList{"Wrong file format!"});
        QVERIFY(bench.shown().isEmpty());
        QVERIFY(bench.patches.empty());
        QCOMPARE(bench.page.rowCount(), 0);
        // Nothing left to change, delete or save.
        QCOMPARE(bench.enabled(), kNoRows);
    }

    void files_that_cannot_be_used_are_reported() {
        Bench bench;
        bench.addPatch("000200", "4E71");
        bench.prompts.paths.push_back(bench.path("missing/codes.txt"));
        bench.page.saveButton()->click();
        bench.prompts.paths.push_back(bench.path("absent.txt"));
        bench.page.loadButton()->click();
        QCOMPARE(bench.prompts.texts(),
                 QStringList({"Can't create file for writing!", "Can't create file for reading!"}));
        QCOMPARE(bench.page.rowCount(), 1);
        QCOMPARE(bench.kept(), bench.shown());
    }
};

NUVREL_GUI_TEST(GGCodesPageTest)
#include "gg_codes_page_test.moc"
