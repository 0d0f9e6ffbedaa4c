#include "saveram/ram_page.h"

#include "shell/placeholder_note.h"

namespace nuvrel {

CRAMPage::CRAMPage(DeviceOperationRunner& runner, QWidget* parent)
    : CSheetPage(QStringLiteral("RAM memory"), parent), m_runner(runner) {
    addPlaceholderNote(this);
}

}  // namespace nuvrel
