// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "app/nuvrel_app.h"

#include <QIcon>
#include <memory>

#include "app/nuvrel_sheet.h"
#include "shell/library_messages.h"
#include "shell/single_instance.h"

namespace nuvrel {

CNuvrelApp::CNuvrelApp(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName(QStringLiteral("Nuvrel"));
    setOrganizationName(QStringLiteral("Nuvrel"));
    setDesktopFileName(QStringLiteral("nuvrel"));
    setWindowIcon(QIcon(QStringLiteral(":/icons/nuvrel.svg")));
}

CNuvrelApp::~CNuvrelApp() = default;

int CNuvrelApp::run() {
    SingleInstance single(QString::fromLatin1(kSheetTitle));
    if (!single.claim()) {
        return 0;
    }
    installLibraryMessageHandler(this);

    auto sheet = std::make_unique<CNuvrelSheet>();
    connect(&single, &SingleInstance::raiseRequested, sheet.get(), [&sheet] {
        sheet->setWindowState((sheet->windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
        sheet->show();
        sheet->raise();
        sheet->activateWindow();
    });
    sheet->exec();
    sheet.reset();

    removeLibraryMessageHandler();
    return 0;
}

}  // namespace nuvrel
