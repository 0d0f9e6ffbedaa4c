// The "Game ROM Patches" page of the main sheet. Its controls are not built yet: it shows only its
// caption and a note saying so.
#pragma once

#include "shell/sheet_page.h"

namespace nuvrel {

class CGGCodes : public CSheetPage {
    Q_OBJECT

  public:
    explicit CGGCodes(QWidget* parent = nullptr);
};

}  // namespace nuvrel
