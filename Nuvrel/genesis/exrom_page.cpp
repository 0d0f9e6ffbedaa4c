#include "genesis/exrom_page.h"

#include "shell/placeholder_note.h"

namespace nuvrel {

CEXROMPage::CEXROMPage(QWidget* parent) : CSheetPage(QStringLiteral("Extended ROM info"), parent) {
    addPlaceholderNote(this);
}

}  // namespace nuvrel
