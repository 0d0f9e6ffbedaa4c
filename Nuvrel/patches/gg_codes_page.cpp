#include "patches/gg_codes_page.h"

#include "shell/placeholder_note.h"

namespace nuvrel {

CGGCodes::CGGCodes(QWidget* parent) : CSheetPage(QStringLiteral("Game ROM Patches"), parent) {
    addPlaceholderNote(this);
}

}  // namespace nuvrel
