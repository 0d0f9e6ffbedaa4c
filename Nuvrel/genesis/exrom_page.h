// The "Extended ROM info" page of the main sheet. Its controls are not built yet: it shows only its
// caption and a note saying so.
#pragma once

#include "shell/sheet_page.h"

namespace nuvrel {

class CEXROMPage : public CSheetPage {
    Q_OBJECT

  public:
    explicit CEXROMPage(QWidget* parent = nullptr);
};

}  // namespace nuvrel
