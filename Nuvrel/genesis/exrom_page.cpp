#include "genesis/exrom_page.h"

#include "shell/placeholder_note.h"

namespace nuvrel {

CEXROMPage::CEXROMPage(SelectedImage& image, QWidget* parent)
    : CSheetPage(QStringLiteral("Extended ROM info"), parent), m_image(image) {
    addPlaceholderNote(this);
}

}  // namespace nuvrel
