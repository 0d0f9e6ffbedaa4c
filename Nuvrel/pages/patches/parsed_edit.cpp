// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "pages/patches/parsed_edit.h"

#include <QApplication>
#include <QKeyEvent>
#include <algorithm>
#include <string_view>

namespace nuvrel {

namespace {

constexpr std::string_view kHexDigits = "0123456789abcdefABCDEF";
// The 32 Game Genie letters in both cases: no i, o, q or u.
constexpr std::string_view kCodeLetters = "0123456789abcdefghjklmnprstvwxyzABCDEFGHJKLMNPRSTVWXYZ";

// Accepted by any filter: backspace, tab and the other control characters.
constexpr std::uint16_t kControlKind = 0xFFFF;
constexpr std::uint16_t kRefusedKind = 0x0004;

// The most a field ever keeps, whatever set it.
constexpr int kTextKept = 19;

// Only ASCII counts: a character outside it never matches a set, whatever its low byte.
bool inSet(QChar c, std::string_view set) {
    return c.unicode() < 0x80 && set.find(static_cast<char>(c.unicode())) != std::string_view::npos;
}

std::uint16_t kindOf(QChar c, std::uint16_t filter) {
    if (c.unicode() < 0x20) {
        return kControlKind;
    }
    if (filter == FilterHexDigits && inSet(c, kHexDigits)) {
        return FilterHexDigits;
    }
    if (filter == FilterCodeLetters && inSet(c, kCodeLetters)) {
        return FilterCodeLetters;
    }
    return kRefusedKind;
}

bool keptBy(QChar c, std::uint16_t filter) {
    return ((filter & FilterHexDigits) != 0 && inSet(c, kHexDigits)) ||
           ((filter & FilterCodeLetters) != 0 && inSet(c, kCodeLetters));
}

}  // namespace

bool RegisterParsedEditClass() {
    return qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr;
}

ParsedTextValidator::ParsedTextValidator(std::uint16_t filter, QObject* parent)
    : QValidator(parent), m_filter(filter), m_room(kTextKept) {}

QString ParsedTextValidator::cleaned(const QString& text) const {
    QString kept;
    for (const QChar c : text.toUpper()) {
        if (keptBy(c, m_filter)) {
            kept.append(c);
        }
    }
    return kept;
}

QValidator::State ParsedTextValidator::validate(QString& input, int& position) const {
    // The field hands over the whole new text with the caret just after what was inserted; what
    // follows the caret was there before and is kept, so only the insertion is cut to the room.
    const int caret = std::clamp(position, 0, static_cast<int>(input.size()));
    QString head = cleaned(input.left(caret));
    const QString tail = cleaned(input.mid(caret));
    const int room = std::min(m_room, kTextKept);
    if (head.size() + tail.size() > room) {
        head.truncate(std::max<qsizetype>(0, room - tail.size()));
    }
    input = head + tail;
    position = static_cast<int>(head.size());
    return Acceptable;
}

void ParsedTextValidator::fixup(QString& input) const {
    int position = static_cast<int>(input.size());
    validate(input, position);
}

CParsedEdit::CParsedEdit(std::uint16_t filter, QWidget* parent)
    : QLineEdit(parent), m_filter(filter), m_validator(new ParsedTextValidator(filter, this)) {
    m_validator->setRoom(userRoom());
    setValidator(m_validator);
    // Deleting below the limit brings the limit back for a text the program set longer.
    connect(this, &QLineEdit::textChanged, this, [this] { m_validator->setRoom(userRoom()); });
}

int CParsedEdit::userRoom() const {
    return std::max<int>(m_limit, static_cast<int>(text().size()));
}

void CParsedEdit::setTextLimit(int limit) {
    m_limit = limit;
    m_validator->setRoom(userRoom());
}

void CParsedEdit::setFieldText(const QString& text) {
    m_validator->setRoom(std::max<int>(m_limit, static_cast<int>(text.size())));
    setText(text);
    m_validator->setRoom(userRoom());
}

void CParsedEdit::SignalBadInput() {
    bool handled = false;
    emit illegalCharacter(&handled);
    if (!handled) {
        QApplication::beep();
        emit beeped();
    }
}

void CParsedEdit::keyPressEvent(QKeyEvent* event) {
    const QString typed = event->text();
    // Keys without text (arrows, Home) and shortcuts (Ctrl+V) are the line edit's own business.
    if (typed.isEmpty() ||
        (event->modifiers() & (Qt::ControlModifier | Qt::MetaModifier)) != Qt::NoModifier) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    std::uint16_t kind = kControlKind;
    for (const QChar c : typed) {
        kind &= kindOf(c, m_filter);
    }
    if ((m_filter & kind) == 0) {
        SignalBadInput();
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
    if (kind == FilterHexDigits) {
        emit hexDigitTyped();
    } else if (kind == FilterCodeLetters) {
        emit codeLetterTyped();
    }
}

}  // namespace nuvrel
