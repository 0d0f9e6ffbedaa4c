#include "shell/nuvrel_app.h"

#include <QIcon>
#include <memory>

#include "shell/library_messages.h"
#include "shell/nuvrel_sheet.h"
#include "shell/single_instance.h"

namespace nuvrel {

CNuvrelApp::CNuvrelApp(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName(QStringLiteral("Nuvrel"));
    setOrganizationName(QStringLiteral("Nuvrel"));
    setDesktopFileName(QStringLiteral("nuvrel"));
    setWindowIcon(QIcon(QStringLiteral(":/icons/nuvrel.svg")));
}

CNuvrelApp::~CNuvrelApp() = default;

CNuvrelApp* CNuvrelApp::instance() {
    return qobject_cast<CNuvrelApp*>(QCoreApplication::instance());
}

int CNuvrelApp::run() {
    SingleInstance single(QString::fromLatin1(kSheetTitle));
    if (!single.claim()) {
        return 0;
    }
    installLibraryMessageHandler(this);

    auto sheet = std::make_unique<CNuvrelSheet>();
    m_sheet = sheet.get();
    connect(&single, &SingleInstance::raiseRequested, sheet.get(), [&sheet] {
        sheet->setWindowState((sheet->windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
        sheet->show();
        sheet->raise();
        sheet->activateWindow();
    });
    sheet->exec();
    m_sheet = nullptr;
    sheet.reset();

    removeLibraryMessageHandler();
    return 0;
}

}  // namespace nuvrel
