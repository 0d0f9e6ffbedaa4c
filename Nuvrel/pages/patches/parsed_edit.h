// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The parsed edit: a one-line field that accepts only the characters of its filter (hexadecimal
// digits, or the Game Genie letters) and shows its text in upper case. It knows nothing of the
// dialog it sits in: it says what was typed, and the dialog follows its text changes.
#pragma once

#include <QLineEdit>
#include <QString>
#include <QValidator>
#include <cstdint>

class QKeyEvent;

namespace nuvrel {

inline constexpr std::uint16_t FilterHexDigits = 0x0001;
inline constexpr std::uint16_t FilterCodeLetters = 0x0002;

// The control's one-time set-up, run by the patch page when it is created. Qt has no window
// classes to register; what can still fail is that widgets cannot be made in this process at all
// (no QApplication). Calling it again gives the same answer.
bool RegisterParsedEditClass();

// Cleans whatever reaches the field (typed, pasted, dropped or set): upper case, only the
// filter's characters, and then cut to the room the field has. Pasted text is cleaned before it
// is cut, so a paste of "nw-fc!" into a four-letter field gives "NWFC".
class ParsedTextValidator : public QValidator {
    Q_OBJECT

  public:
    ParsedTextValidator(std::uint16_t filter, QObject* parent = nullptr);

    // The most characters the text may hold after the change being validated.
    void setRoom(int room) { m_room = room; }

    State validate(QString& input, int& position) const override;
    void fixup(QString& input) const override;

  private:
    QString cleaned(const QString& text) const;

    std::uint16_t m_filter;
    int m_room;
};

class CParsedEdit : public QLineEdit {
    Q_OBJECT

  public:
    CParsedEdit(std::uint16_t filter, QWidget* parent = nullptr);

    std::uint16_t filter() const { return m_filter; }

    // The most characters the user can type or paste. A longer text set by the program is kept
    // whole (a loaded data word of five digits stays 12345); typing then waits until it is
    // shorter than the limit.
    void setTextLimit(int limit);
    int textLimit() const { return m_limit; }
    // Sets the text as the program does, without the limit cutting it.
    void setFieldText(const QString& text);

  signals:
    // NotifyIllegalChar: a typed character was refused. A receiver connected directly that sets
    // *handled takes over, and no beep sounds.
    void illegalCharacter(bool* handled);
    // The refusal beep sounded.
    void beeped();
    // A hexadecimal digit or a code letter was typed and let through (after the text changed).
    void hexDigitTyped();
    void codeLetterTyped();

  protected:
    virtual void SignalBadInput();
    void keyPressEvent(QKeyEvent* event) override;

  private:
    // The room an edit by the user has: the limit, or a longer text the program set.
    int userRoom() const;

    std::uint16_t m_filter;
    int m_limit = 32767;
    ParsedTextValidator* m_validator;
};

}  // namespace nuvrel
