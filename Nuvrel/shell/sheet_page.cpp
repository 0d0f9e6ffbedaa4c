#include "shell/sheet_page.h"

namespace nuvrel {

CSheetPage::CSheetPage(const QString& caption, QWidget* parent)
    : QWidget(parent), m_caption(caption) {}

}  // namespace nuvrel
