#include "patches/gg_codes_page.h"

#include "shell/placeholder_note.h"

namespace nuvrel {

CGGCodes::CGGCodes(SelectedImage& image, PatchList& patches, QWidget* parent)
    : CSheetPage(QStringLiteral("Game ROM Patches"), parent), m_image(image), m_patches(patches) {
    addPlaceholderNote(this);
}

}  // namespace nuvrel
