#include "genesis/rom_page.h"

#include "shell/placeholder_note.h"

namespace nuvrel {

CROMPage::CROMPage(DeviceOperationRunner& runner, QWidget* parent)
    : CSheetPage(QStringLiteral("ROM memory"), parent), m_runner(runner) {
    addPlaceholderNote(this);
}

}  // namespace nuvrel
