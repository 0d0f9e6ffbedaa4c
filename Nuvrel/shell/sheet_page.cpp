#include "shell/sheet_page.h"

namespace nuvrel {

CSheetPage::CSheetPage(const QString& caption, QWidget* parent)
    : QWidget(parent), m_caption(caption) {}

void CSheetPage::activate() {
    if (!m_initialised) {
        m_initialised = true;
        onInitPage();
    }
    onSetActive();
}

}  // namespace nuvrel
