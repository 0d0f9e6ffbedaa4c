// The "Game ROM Patches" page of the main sheet. Its controls are not built yet: it shows only its
// caption and a note saying so.
#pragma once

#include "shell/sheet_page.h"

namespace nuvrel {

class PatchList;
class SelectedImage;

class CGGCodes : public CSheetPage {
    Q_OBJECT

  public:
    CGGCodes(SelectedImage& image, PatchList& patches, QWidget* parent = nullptr);

  private:
    SelectedImage& m_image;
    PatchList& m_patches;
};

}  // namespace nuvrel
