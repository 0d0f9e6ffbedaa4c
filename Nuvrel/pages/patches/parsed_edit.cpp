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

// How much of the text the change handling looks at, and keeps.
constexpr int kTextRead = 20;
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

CParsedEdit::CParsedEdit(std::uint16_t filter, QWidget* parent)
    : QLineEdit(parent), m_filter(filter) {
    connect(this, &QLineEdit::textChanged, this, &CParsedEdit::onTextChanged);
}

void CParsedEdit::setTextLimit(int limit) {
    m_limit = limit;
    setMaxLength(std::max<int>(m_limit, static_cast<int>(text().size())));
}

void CParsedEdit::setFieldText(const QString& text) {
    const int room = std::max<int>(m_limit, static_cast<int>(text.size()));
    if (maxLength() != room) {
        setMaxLength(room);
    }
    setText(text);
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
    ParsedEditParent* dialog = parentDialog();
    if (dialog == nullptr) {
        return;
    }
    if (kind == FilterHexDigits) {
        dialog->UpdateCodeFromPatch();
    } else if (kind == FilterCodeLetters) {
        dialog->UpdatePatchFromCode();
    }
}

void CParsedEdit::onTextChanged() {
    if (syncInProgress) {
        return;
    }
    const bool selected = hasSelectedText();
    const int selectionFrom = selected ? selectionStart() : cursorPosition();
    const int selectionLength = selected ? static_cast<int>(selectedText().size()) : 0;
    const bool caretAtStart = selected && cursorPosition() == selectionFrom;

    // Pasted text never went through the typed-character check: it is cleaned here, silently.
    const QString upper = text().left(kTextRead).toUpper();
    QString cleaned;
    for (const QChar c : upper) {
        if (keptBy(c, m_filter) && cleaned.size() < kTextKept) {
            cleaned.append(c);
        }
    }
    if (cleaned != text()) {
        // Fires this handling again, which then finds nothing to change.
        setFieldText(cleaned);
    }
    // Deleting below the limit brings the limit back for a text the program set longer.
    const int room = std::max<int>(m_limit, static_cast<int>(text().size()));
    if (maxLength() != room) {
        setMaxLength(room);
    }

    const int length = static_cast<int>(text().size());
    const int from = std::min(selectionFrom, length);
    const int to = std::min(selectionFrom + selectionLength, length);
    if (to > from) {
        setSelection(caretAtStart ? to : from, caretAtStart ? from - to : to - from);
    } else {
        setCursorPosition(from);
    }

    if (ParsedEditParent* dialog = parentDialog()) {
        syncInProgress = true;
        dialog->SyncFromFocusedField();
        syncInProgress = false;
    }
}

ParsedEditParent* CParsedEdit::parentDialog() const {
    return dynamic_cast<ParsedEditParent*>(window());
}

}  // namespace nuvrel
