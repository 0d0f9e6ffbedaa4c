// The "ROM memory" page of the main sheet. Its controls are not built yet: it shows only its
// caption and a note saying so.
#pragma once

#include "shell/sheet_page.h"

namespace nuvrel {

class DeviceOperationRunner;
class PatchList;
class SelectedImage;

class CROMPage : public CSheetPage {
    Q_OBJECT

  public:
    CROMPage(DeviceOperationRunner& runner, SelectedImage& image, const PatchList& patches,
             QWidget* parent = nullptr);

  private:
    DeviceOperationRunner& m_runner;
    SelectedImage& m_image;
    const PatchList& m_patches;
};

}  // namespace nuvrel
