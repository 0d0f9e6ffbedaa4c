// The parsed edit: a one-line field that accepts only the characters of its filter (hexadecimal
// digits, or the Game Genie letters), shows its text in upper case, and after every change asks
// the dialog it sits in to bring the other form of the patch into step.
#pragma once

#include <QLineEdit>
#include <QString>
#include <cstdint>

class QKeyEvent;

namespace nuvrel {

inline constexpr std::uint16_t FilterHexDigits = 0x0001;
inline constexpr std::uint16_t FilterCodeLetters = 0x0002;

// What a parsed edit calls on the dialog it belongs to (the Add Code dialog).
class ParsedEditParent {
  public:
    virtual void UpdateCodeFromPatch() = 0;
    virtual void UpdatePatchFromCode() = 0;
    virtual void SyncFromFocusedField() = 0;

  protected:
    ~ParsedEditParent() = default;
};

// The control's one-time set-up, run by the patch page when it is created. Qt has no window
// classes to register; what can still fail is that widgets cannot be made in this process at all
// (no QApplication). Calling it again gives the same answer.
bool RegisterParsedEditClass();

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

    // Raised while the dialog's fields are being brought into step, so the fields a conversion
    // rewrites neither filter again nor start another conversion. Shared by all parsed edits.
    static inline bool syncInProgress = false;

  signals:
    // NotifyIllegalChar: a typed character was refused. A receiver connected directly that sets
    // *handled takes over, and no beep sounds.
    void illegalCharacter(bool* handled);
    // The refusal beep sounded.
    void beeped();

  protected:
    virtual void SignalBadInput();
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void onTextChanged();
    ParsedEditParent* parentDialog() const;

    std::uint16_t m_filter;
    int m_limit = 32767;
};

}  // namespace nuvrel
