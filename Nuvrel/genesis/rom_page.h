// The "ROM memory" page of the main sheet. Its controls are not built yet: it shows only its
// caption and a note saying so.
#pragma once

#include "shell/sheet_page.h"

namespace nuvrel {

class DeviceOperationRunner;

class CROMPage : public CSheetPage {
    Q_OBJECT

  public:
    explicit CROMPage(DeviceOperationRunner& runner, QWidget* parent = nullptr);

  private:
    DeviceOperationRunner& m_runner;
};

}  // namespace nuvrel
