#include "shell/placeholder_note.h"

#include <QLabel>
#include <QVBoxLayout>
#include <QWidget>

namespace nuvrel {

void addPlaceholderNote(QWidget* page) {
    auto* layout = new QVBoxLayout(page);
    auto* note = new QLabel(QStringLiteral("This page is not available in this version."), page);
    note->setObjectName(QStringLiteral("placeholderNote"));
    note->setAlignment(Qt::AlignCenter);
    note->setEnabled(false);
    layout->addWidget(note);
}

}  // namespace nuvrel
