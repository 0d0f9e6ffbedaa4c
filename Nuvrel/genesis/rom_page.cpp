#include "genesis/rom_page.h"

#include "shell/placeholder_note.h"

namespace nuvrel {

CROMPage::CROMPage(DeviceOperationRunner& runner, SelectedImage& image, const PatchList& patches,
                   QWidget* parent)
    : CSheetPage(QStringLiteral("ROM memory"), parent),
      m_runner(runner),
      m_image(image),
      m_patches(patches) {
    addPlaceholderNote(this);
}

}  // namespace nuvrel
