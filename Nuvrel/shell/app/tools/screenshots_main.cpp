// Grabs the finished pages of the main sheet against an in-process virtual device, for the
// documentation: nuvrel-screenshots <output folder>. Run it with QT_QPA_PLATFORM=offscreen.
#include <velk_sim/sim_harness.h>
#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QIcon>
#include <QPainter>
#include <QPixmap>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <cstdio>
#include <string>
#include <vector>

#include "shell/app/nuvrel_sheet.h"
#include "shell/resources.h"
#include "shell/user_prompts.h"

namespace {

bool grabPage(nuvrel::CNuvrelSheet& sheet, QWidget& page, const QDir& folder, const QString& name) {
    sheet.tabs()->setCurrentWidget(&page);
    QApplication::processEvents();
    const QString path = folder.filePath(name + QStringLiteral(".png"));
    if (!sheet.grab().save(path)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s\n", qPrintable(path));
    return true;
}

// All icons of the program side by side, at the size the pages use and at twice that.
bool drawIconSheet(const QDir& folder) {
    QStringList names;
    QDirIterator icons(QStringLiteral(":/icons"));
    while (icons.hasNext()) {
        names << icons.next();
    }
    names.sort();
    QPixmap sheet(static_cast<int>(names.size()) * 72 + 8, 112);
    sheet.fill(Qt::white);
    QPainter painter(&sheet);
    int x = 8;
    for (const QString& name : names) {
        const QIcon icon(name);
        painter.drawPixmap(x + 20, 8, icon.pixmap(32, 32));
        painter.drawPixmap(x, 44, icon.pixmap(64, 64));
        x += 72;
    }
    painter.end();
    const QString path = folder.filePath(QStringLiteral("icons.png"));
    std::printf("%s\n", qPrintable(path));
    return sheet.save(path);
}

// --- "RAM memory" after a read ---

// Answers the file dialogs from a list, as the user would pick files; message boxes get OK.
class ScriptedPrompts final : public nuvrel::UserPrompts {
  public:
    QStringList paths;
    nuvrel::PromptAnswer message(QWidget*, const QString&, const QString& text, nuvrel::PromptIcon,
                                 nuvrel::PromptButtons) override {
        std::fprintf(stderr, "message: %s\n", qPrintable(text));
        return nuvrel::PromptAnswer::Ok;
    }
    QString openFile(QWidget*, const QString&, const QString&, const QString&) override {
        return paths.isEmpty() ? QString() : paths.takeFirst();
    }
    QString saveFile(QWidget*, const QString&, const QString&, const QString&) override {
        return paths.isEmpty() ? QString() : paths.takeFirst();
    }
};

// Picks a save to write later and a file to read into, then reads the save RAM.
bool grabRamPageAfterRead(nuvrel::CNuvrelSheet& sheet, velksim::SimServer& sim,
                          const QDir& folder) {
    std::vector<std::uint8_t> save(velksim::kSaveRamBytes);
    for (std::size_t i = 0; i < save.size(); ++i) {
        save[i] = static_cast<std::uint8_t>(i * 7 + 3);
    }
    sim.setSaveRam(save);
    QTemporaryDir files;
    const QString input = QDir(files.path()).filePath(QStringLiteral("Sonic3.srm"));
    QFile in(input);
    if (!in.open(QIODevice::WriteOnly) || in.write(QByteArray(65536, '\0')) != 65536) {
        return false;
    }
    in.close();
    ScriptedPrompts prompts;
    prompts.paths << input << QDir(files.path()).filePath(QStringLiteral("backup.srm"));
    nuvrel::setUserPrompts(&prompts);
    nuvrel::CRAMPage& page = sheet.ramPage();
    sheet.tabs()->setCurrentWidget(&page);
    QApplication::processEvents();
    page.chooseInFile();
    page.chooseOutFile();
    page.startRead();
    sheet.runner().waitUntilIdle();
    nuvrel::setUserPrompts(nullptr);
    return grabPage(sheet, page, folder, QStringLiteral("ram_memory"));
}

// --- "Game ROM Patches" with rows, and the "Add Code" dialog ---

// The image the ROM page would have selected; the page reads only these fields.
void selectImage(nuvrel::SelectedImage& image) {
    image.setPath(QStringLiteral("/home/user/roms/Sonic The Hedgehog (W) (REV01).bin"));
    image.setSize(0x80000);
    image.setWriteEnabled(true);
}

bool grabPatchPage(nuvrel::CNuvrelSheet& sheet, const QDir& folder) {
    selectImage(sheet.selectedImage());
    QTemporaryDir files;
    const QString list = QDir(files.path()).filePath(QStringLiteral("sonic.txt"));
    QFile file(list);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write("00AA80:00BB\r\n000200:4E71\r\n01A2F6:6002\r\n0028C4:4E75\r\n") < 0) {
        return false;
    }
    file.close();
    ScriptedPrompts prompts;
    prompts.paths << list;
    nuvrel::setUserPrompts(&prompts);
    nuvrel::CGGCodes& page = sheet.ggCodesPage();
    sheet.tabs()->setCurrentWidget(&page);
    QApplication::processEvents();
    page.load();
    nuvrel::setUserPrompts(nullptr);
    page.list()->item(0, 0)->setCheckState(Qt::Checked);
    page.list()->item(2, 0)->setCheckState(Qt::Checked);
    page.list()->selectRow(1);
    return grabPage(sheet, page, folder, QStringLiteral("game_rom_patches"));
}

// The dialog in code mode with a code typed in, the patch fields following it.
bool grabAddCodeDialog(nuvrel::CNuvrelSheet& sheet, const QDir& folder) {
    nuvrel::CGGCode& dialog = sheet.ggCodesPage().codeDialog();
    dialog.setAddress(0);
    dialog.setData(0);
    dialog.setModify(false);
    dialog.prepareFields();
    dialog.show();
    QApplication::processEvents();
    dialog.codeModeButton()->click();
    dialog.firstCodeField()->setFocus();
    dialog.firstCodeField()->setFieldText(QStringLiteral("NWFC"));
    dialog.secondCodeField()->setFocus();
    dialog.secondCodeField()->setFieldText(QStringLiteral("YAGW"));
    QApplication::processEvents();
    const QString path = folder.filePath(QStringLiteral("add_code.png"));
    const bool saved = dialog.grab().save(path);
    dialog.hide();
    std::printf("%s\n", qPrintable(path));
    return saved;
}

}  // namespace

int main(int argc, char** argv) {
    velksim::ScopedRuntimeDir runtime;
    QApplication app(argc, argv);
    nuvrel::initResources();
    if (argc != 2) {
        std::fprintf(stderr, "usage: nuvrel-screenshots <output folder>\n");
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    if (!folder.exists() && !QDir().mkpath(folder.path())) {
        std::fprintf(stderr, "cannot create %s\n", argv[1]);
        return 1;
    }

    velksim::DeviceConfig config;
    config.eraseCounterStart = 37;
    config.compatibilitySet = 2;
    velksim::SimServer sim(config);
    std::string error;
    if (!sim.start(&error)) {
        std::fprintf(stderr, "velk-sim: %s\n", error.c_str());
        return 1;
    }

    nuvrel::CNuvrelSheet sheet;
    sheet.show();
    QApplication::processEvents();
    const bool ok =
        grabPage(sheet, sheet.devInfoPage(), folder, QStringLiteral("device_info")) &&
        grabPage(sheet, sheet.compatibilityPage(), folder, QStringLiteral("compatibility")) &&
        grabRamPageAfterRead(sheet, sim, folder) && grabPatchPage(sheet, folder) &&
        grabAddCodeDialog(sheet, folder) && drawIconSheet(folder);
    sheet.hide();
    return ok ? 0 : 1;
}
