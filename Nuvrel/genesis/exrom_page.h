// The "Extended ROM info" page of the main sheet. Its controls are not built yet: it shows only its
// caption and a note saying so.
#pragma once

#include "shell/sheet_page.h"

namespace nuvrel {

class SelectedImage;

class CEXROMPage : public CSheetPage {
    Q_OBJECT

  public:
    explicit CEXROMPage(SelectedImage& image, QWidget* parent = nullptr);

  private:
    SelectedImage& m_image;
};

}  // namespace nuvrel
