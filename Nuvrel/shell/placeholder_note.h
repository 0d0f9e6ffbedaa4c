// The note shown on a page whose controls have not been built yet.
#pragma once

class QWidget;

namespace nuvrel {

void addPlaceholderNote(QWidget* page);

}  // namespace nuvrel
