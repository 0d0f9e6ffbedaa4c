// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The "Add Code" dialog and its parsed edit fields: what the user can type, what the fields show
// while the two forms follow each other, and what OK and Cancel hand back.
#include <QClipboard>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QtTest>

#include "pages/patches/gg_code_dialog.h"
#include "pages/patches/parsed_edit.h"
#include "patches/game_genie.h"
#include "support/gui_test_main.h"

using nuvrel::CGGCode;
using nuvrel::CParsedEdit;

namespace {

// The dialog as the page opens it for Add, shown.
struct OpenDialog {
    explicit OpenDialog(std::int32_t address = 0, std::int32_t data = 0, bool modify = false) {
        dialog.setAddress(address);
        dialog.setData(data);
        dialog.setModify(modify);
        dialog.prepareFields();
        dialog.show();
    }
    ~OpenDialog() { dialog.hide(); }

    QStringList fields() const {
        return {dialog.addressField()->text(), dialog.dataField()->text(),
                dialog.firstCodeField()->text(), dialog.secondCodeField()->text()};
    }
    // Types into a field the user clicked into.
    void type(CParsedEdit* field, const QString& text) {
        field->setFocus();
        field->selectAll();
        QTest::keyClicks(field, text);
    }
    void codeMode() { dialog.codeModeButton()->click(); }

    CGGCode dialog;
};

int beepsWhileTyping(CParsedEdit* field, const QString& text) {
    QSignalSpy beeps(field, &CParsedEdit::beeped);
    field->setFocus();
    QTest::keyClicks(field, text);
    return static_cast<int>(beeps.count());
}

}  // namespace

class GGCodeDialogTest : public QObject {
    Q_OBJECT

  private slots:

    void texts_and_the_fields_for_add() {
        OpenDialog open;
        QStringList labels;
        for (QLabel* label : open.dialog.findChildren<QLabel*>()) {
            labels << label->text();
        }
        QVERIFY(labels.contains(
            "Insert Game Genie or Patch code, Patch or Game Genie code must be in ROM area, if "
            "code not in ROM area software signalling error will be omited then \"OK\" button is "
            "pressed."));
        for (const char* hint : {"Write actual patch code in HEX (sample", "[00AA80]:[00BB]).",
                                 "             Write actual GG Code (sample ", "[NWFC]:[YAGW])."}) {
            QVERIFY2(labels.contains(QString::fromLatin1(hint)), hint);
        }
        QStringList titles;
        for (QGroupBox* group : open.dialog.findChildren<QGroupBox*>()) {
            titles << group->title();
        }
        QCOMPARE(titles, QStringList({QString(20, ' '), QString(18, ' ')}));
        QCOMPARE(open.dialog.patchModeButton()->text(), QStringLiteral("Insert patch code"));
        QCOMPARE(open.dialog.codeModeButton()->text(), QStringLiteral("Insert Game Genue Code"));
        QStringList buttons;
        for (QPushButton* button : open.dialog.findChildren<QPushButton*>()) {
            buttons << button->text();
        }
        QVERIFY(buttons.contains("OK") && buttons.contains("Cancel"));

        QCOMPARE(open.fields(), QStringList({"000000", "0000", "AAAA", "AAAA"}));
        QVERIFY(open.dialog.patchModeButton()->isChecked());
        QVERIFY(open.dialog.addressField()->isEnabled());
        QVERIFY(open.dialog.dataField()->isEnabled());
        QVERIFY(!open.dialog.firstCodeField()->isEnabled());
        QVERIFY(!open.dialog.secondCodeField()->isEnabled());
        QCOMPARE(open.dialog.focusWidget(), open.dialog.addressField());
        QCOMPARE(open.dialog.addressField()->textLimit(), 6);
        QCOMPARE(open.dialog.dataField()->textLimit(), 4);
        QCOMPARE(open.dialog.firstCodeField()->textLimit(), 4);
        QCOMPARE(open.dialog.secondCodeField()->textLimit(), 4);
    }

    void typing_a_patch_shows_its_code() {
        OpenDialog open;
        open.type(open.dialog.addressField(), "00aa80");
        open.type(open.dialog.dataField(), "00bb");
        QCOMPARE(open.fields(), QStringList({"00AA80", "00BB", "1RZA", "AAEA"}));
    }

    void typing_a_code_shows_its_patch_and_ok_returns_both() {
        OpenDialog open;
        open.codeMode();
        QVERIFY(!open.dialog.addressField()->isEnabled());
        QVERIFY(!open.dialog.dataField()->isEnabled());
        QVERIFY(open.dialog.firstCodeField()->isEnabled());
        open.type(open.dialog.firstCodeField(), "nwfc");  // upper-cased as it is typed
        open.type(open.dialog.secondCodeField(), "YAGW");
        QCOMPARE(open.fields(), QStringList({"2A8AD2", "0064", "NWFC", "YAGW"}));

        open.dialog.accept();
        QCOMPARE(open.dialog.result(), int(QDialog::Accepted));
        QCOMPARE(open.dialog.address(), 0x2A8AD2);
        QCOMPARE(open.dialog.data(), 0x0064);
        QCOMPARE(open.dialog.codeText(), QStringLiteral("NWFC-YAGW"));
    }

    void a_partial_code_gives_a_short_code_text_data() {
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("second");
        QTest::addColumn<QString>("codeText");
        QTest::newRow("short first half") << "AB"
                                          << "YAGW"
                                          << "AB";
        QTest::newRow("short second half") << "NWFC"
                                           << "YA"
                                           << "NWFC-YA";
        QTest::newRow("empty first half") << ""
                                          << "YAGW"
                                          << "";
    }

    void a_partial_code_gives_a_short_code_text() {
        QFETCH(QString, first);
        QFETCH(QString, second);
        QFETCH(QString, codeText);
        OpenDialog open;
        open.codeMode();
        open.type(open.dialog.secondCodeField(), second);
        open.dialog.firstCodeField()->setFocus();
        open.dialog.firstCodeField()->selectAll();
        QTest::keyClick(open.dialog.firstCodeField(), Qt::Key_Backspace);
        QTest::keyClicks(open.dialog.firstCodeField(), first);
        // The patch fields show what the decoder makes of the partial text.
        const std::string joined = (first + "-" + second).toStdString();
        const nuvrel::GameGeniePatch partial = nuvrel::DecodeGameGenie(joined.c_str());
        QCOMPARE(open.dialog.addressField()->text(),
                 QString::asprintf("%.6X", static_cast<unsigned>(partial.address)));

        open.dialog.accept();
        QCOMPARE(open.dialog.codeText(), codeText);
        QCOMPARE(open.dialog.address(), static_cast<std::int32_t>(partial.address));
        QCOMPARE(open.dialog.data(), static_cast<std::int32_t>(partial.data));
    }

    void refused_characters_beep_and_change_nothing_data() {
        QTest::addColumn<bool>("codeField");
        QTest::addColumn<QString>("typed");
        QTest::newRow("g in an address field") << false << "g";
        QTest::newRow("G in an address field") << false << "G";
        QTest::newRow("x in an address field") << false << "x";
        QTest::newRow("i o q u in a code field") << true << "ioqu";
        QTest::newRow("I O Q U in a code field") << true << "IOQU";
        QTest::newRow("punctuation in a code field") << true << "-:";
    }

    void refused_characters_beep_and_change_nothing() {
        QFETCH(bool, codeField);
        QFETCH(QString, typed);
        OpenDialog open;
        if (codeField) {
            open.codeMode();
        }
        CParsedEdit* field = codeField ? open.dialog.firstCodeField() : open.dialog.addressField();
        field->setFocus();
        field->selectAll();
        QTest::keyClick(field, Qt::Key_Backspace);  // room to type
        const QStringList before = open.fields();
        QCOMPARE(beepsWhileTyping(field, typed), typed.size());
        QCOMPARE(open.fields(), before);
    }

    void code_letters_are_accepted_and_upper_cased() {
        OpenDialog open;
        open.codeMode();
        CParsedEdit* field = open.dialog.firstCodeField();
        field->setFocus();
        field->selectAll();
        QTest::keyClick(field, Qt::Key_Backspace);
        QCOMPARE(beepsWhileTyping(field, "g9zt"), 0);
        QCOMPARE(field->text(), QStringLiteral("G9ZT"));
    }

    void a_handled_notification_silences_the_beep() {
        OpenDialog open;
        CParsedEdit* field = open.dialog.addressField();
        QSignalSpy notified(field, &CParsedEdit::illegalCharacter);
        connect(field, &CParsedEdit::illegalCharacter, this,
                [](bool* handled) { *handled = true; });
        QCOMPARE(beepsWhileTyping(field, "z"), 0);
        QCOMPARE(notified.count(), 1);
    }

    void backspace_always_works_and_the_other_form_follows() {
        OpenDialog open;
        open.type(open.dialog.addressField(), "00AA80");
        open.type(open.dialog.dataField(), "00BB");
        QCOMPARE(beepsWhileTyping(open.dialog.dataField(), "\b"), 0);
        QTest::keyClick(open.dialog.dataField(), Qt::Key_Backspace);
        QCOMPARE(open.dialog.dataField()->text(), QStringLiteral("00"));
        char code[nuvrel::kGameGenieCodeBufferSize];
        nuvrel::EncodeGameGenie(0x00AA80, 0x00, code);
        QCOMPARE(open.dialog.firstCodeField()->text() + "-" + open.dialog.secondCodeField()->text(),
                 QString::fromLatin1(code));

        open.codeMode();
        open.dialog.secondCodeField()->setFocus();
        open.dialog.secondCodeField()->end(false);
        QTest::keyClick(open.dialog.secondCodeField(), Qt::Key_Backspace);
        QCOMPARE(open.dialog.secondCodeField()->text(), QStringLiteral("AAE"));
    }

    void pasted_text_is_cleaned_without_a_beep() {
        OpenDialog open;
        CParsedEdit* field = open.dialog.addressField();
        field->setFocus();
        field->selectAll();
        QTest::keyClick(field, Qt::Key_Backspace);
        QGuiApplication::clipboard()->setText(QStringLiteral("0x1f"));
        QSignalSpy beeps(field, &CParsedEdit::beeped);
        QTest::keyClick(field, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(field->text(), QStringLiteral("01F"));
        QCOMPARE(beeps.count(), 0);
        char code[nuvrel::kGameGenieCodeBufferSize];
        nuvrel::EncodeGameGenie(0x01F, 0, code);
        QCOMPARE(open.dialog.firstCodeField()->text() + "-" + open.dialog.secondCodeField()->text(),
                 QString::fromLatin1(code));

        open.codeMode();
        CParsedEdit* codeField = open.dialog.firstCodeField();
        codeField->setFocus();
        codeField->selectAll();
        QGuiApplication::clipboard()->setText(QStringLiteral("nwfc"));
        QTest::keyClick(codeField, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(codeField->text(), QStringLiteral("NWFC"));
        QCOMPARE(open.dialog.addressField()->text().right(2), QStringLiteral("1F"));
    }

    // A paste is cleaned first and then cut to what the field has room for, after the caret.
    void a_paste_is_cleaned_before_it_is_cut_data() {
        QTest::addColumn<int>("field");
        QTest::addColumn<QString>("before");
        QTest::addColumn<int>("caret");
        QTest::addColumn<QString>("pasted");
        QTest::addColumn<QString>("after");
        QTest::newRow("code letters around junk") << 2 << QString() << 0 << "nw-fc!"
                                                  << "NWFC";
        QTest::newRow("longer than the field") << 2 << QString() << 0 << "nwfcyagw"
                                               << "NWFC";
        QTest::newRow("into the middle") << 3 << "AG" << 1 << "x-yz-w"
                                         << "AXYG";
        QTest::newRow("address with a prefix") << 0 << QString() << 0 << "$00aa80ff"
                                               << "00AA80";
        QTest::newRow("into a full field") << 1 << "00BB" << 4 << "12"
                                           << "00BB";
    }

    void a_paste_is_cleaned_before_it_is_cut() {
        QFETCH(int, field);
        QFETCH(QString, before);
        QFETCH(int, caret);
        QFETCH(QString, pasted);
        QFETCH(QString, after);
        OpenDialog open;
        if (field >= 2) {
            open.codeMode();
        }
        CParsedEdit* fields[] = {open.dialog.addressField(), open.dialog.dataField(),
                                 open.dialog.firstCodeField(), open.dialog.secondCodeField()};
        CParsedEdit* target = fields[field];
        target->setFocus();
        target->setFieldText(before);
        target->setCursorPosition(caret);
        QGuiApplication::clipboard()->setText(pasted);
        QSignalSpy beeps(target, &CParsedEdit::beeped);
        QTest::keyClick(target, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(target->text(), after);
        QCOMPARE(beeps.count(), 0);
    }

    void the_length_limits_stop_typing() {
        OpenDialog open;
        open.type(open.dialog.addressField(), "12345678");
        open.type(open.dialog.dataField(), "ABCDEF");
        QCOMPARE(open.fields().mid(0, 2), QStringList({"123456", "ABCD"}));
    }

    void modify_mode_keeps_the_address() {
        OpenDialog open(0x00AA80, 0x00BB, true);
        QCOMPARE(open.fields(), QStringList({"00AA80", "00BB", "1RZA", "AAEA"}));
        QVERIFY(!open.dialog.addressField()->isEnabled());
        QVERIFY(!open.dialog.codeModeButton()->isEnabled());
        QVERIFY(open.dialog.dataField()->isEnabled());
        QCOMPARE(open.dialog.focusWidget(), open.dialog.dataField());
        open.type(open.dialog.dataField(), "1234");
        char code[nuvrel::kGameGenieCodeBufferSize];
        nuvrel::EncodeGameGenie(0x00AA80, 0x1234, code);
        open.dialog.accept();
        QCOMPARE(open.dialog.address(), 0x00AA80);
        QCOMPARE(open.dialog.data(), 0x1234);
        QCOMPARE(open.dialog.codeText(), QString::fromLatin1(code));
    }

    void a_data_word_wider_than_the_field_survives_modify() {
        OpenDialog open(0x000200, 0x12345, true);
        QCOMPARE(open.dialog.dataField()->text(), QStringLiteral("12345"));
        open.dialog.accept();
        QCOMPARE(open.dialog.data(), 0x12345);
    }

    void the_dialog_reopens_as_it_was_asked() {
        CGGCode dialog;
        dialog.setModify(true);
        dialog.setAddress(0x10);
        dialog.prepareFields();
        dialog.show();
        dialog.hide();
        dialog.setModify(false);
        dialog.setAddress(0);
        dialog.setData(0);
        dialog.prepareFields();
        QVERIFY(dialog.codeModeButton()->isEnabled());
        QVERIFY(dialog.addressField()->isEnabled());
        QCOMPARE(dialog.addressField()->text(), QStringLiteral("000000"));
    }

    void cancel_leaves_the_callers_values() {
        OpenDialog open(0x000100, 0x4E71);
        open.type(open.dialog.addressField(), "00AA80");
        open.type(open.dialog.dataField(), "00BB");
        open.dialog.reject();
        QCOMPARE(open.dialog.result(), int(QDialog::Rejected));
        QCOMPARE(open.dialog.address(), 0x000100);
        QCOMPARE(open.dialog.data(), 0x4E71);
        QVERIFY(open.dialog.codeText().isEmpty());
    }

    void the_set_up_succeeds_every_time() {
        QVERIFY(nuvrel::RegisterParsedEditClass());
        QVERIFY(nuvrel::RegisterParsedEditClass());
    }
};

NUVREL_GUI_TEST(GGCodeDialogTest)
#include "gg_code_dialog_test.moc"
