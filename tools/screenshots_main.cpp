// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Grabs the finished pages of the main sheet against an in-process virtual device, for the
// documentation: nuvrel-screenshots <output folder>. Run it with QT_QPA_PLATFORM=offscreen.
#include <velk_sim/sim_harness.h>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QIcon>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <cstdint>
#include <cstdio>
#include <deque>
#include <string>
#include <vector>

#include "app/nuvrel_sheet.h"
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

// --- every page with real data ---

// Answers the file dialogs from a list, as a user would, and confirms every message box.
class ScriptedPrompts final : public nuvrel::UserPrompts {
  public:
    ScriptedPrompts() { nuvrel::setUserPrompts(this); }
    ~ScriptedPrompts() override { nuvrel::setUserPrompts(nullptr); }
    ScriptedPrompts(const ScriptedPrompts&) = delete;
    ScriptedPrompts& operator=(const ScriptedPrompts&) = delete;

    nuvrel::PromptAnswer message(QWidget*, const QString&, const QString& text, nuvrel::PromptIcon,
                                 nuvrel::PromptButtons) override {
        std::fprintf(stderr, "message: %s\n", qPrintable(text));
        return nuvrel::PromptAnswer::Ok;
    }
    QString openFile(QWidget*, const QString&, const QString&, const QString&) override {
        return next();
    }
    QString saveFile(QWidget*, const QString&, const QString&, const QString&) override {
        return next();
    }

    std::deque<QString> paths;

  private:
    QString next() {
        if (paths.empty()) {
            return QString();
        }
        QString path = paths.front();
        paths.pop_front();
        return path;
    }
};

// A 512 KiB Genesis image with a header and varied data.
QString writeDemoImage(const QTemporaryDir& folder) {
    QByteArray image(512 * 1024, '\0');
    for (qsizetype i = 0; i < image.size(); ++i) {
        image[i] = static_cast<char>((i * 7 + i / 512) & 0x7F);
    }
    const auto put = [&image](int offset, int length, const QByteArray& text) {
        for (int i = 0; i < length; ++i) {
            image[offset + i] = i < text.size() ? text[i] : ' ';
        }
    };
    put(0x100, 16, "SEGA MEGA DRIVE");
    put(0x110, 16, "(C)NUVR 2026.DEC");
    put(0x120, 48, "NUVREL DEMO CARTRIDGE");
    put(0x150, 48, "NUVREL DEMO CARTRIDGE (OVERSEAS)");
    put(0x180, 14, "GM 00012345-01");
    put(0x190, 16, "J");
    const auto putLong = [&image](int offset, std::uint32_t value) {
        for (int i = 0; i < 4; ++i) {
            image[offset + i] = static_cast<char>(value >> (24 - 8 * i));
        }
    };
    image[0x18E] = 0x5A;  // checksum
    image[0x18F] = 0x3C;
    putLong(0x1A0, 0);
    putLong(0x1A4, static_cast<std::uint32_t>(image.size() - 1));
    putLong(0x1A8, 0x200001);
    putLong(0x1AC, 0x203FFF);
    const QString path = folder.filePath(QStringLiteral("nuvrel-demo.bin"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(image) != image.size()) {
        return QString();
    }
    return path;
}

// The ROM page after choosing an image, programming it with verify and choosing an output file
// (grabbed once the patch page has checked rows, so that it shows the patch note); the Extended
// ROM info page with the header of the ROM now in the device.
bool grabRomPages(nuvrel::CNuvrelSheet& sheet, const QDir& folder) {
    QTemporaryDir files;
    const QString image = writeDemoImage(files);
    if (image.isEmpty()) {
        std::fprintf(stderr, "cannot write the demo image\n");
        return false;
    }
    ScriptedPrompts prompts;
    nuvrel::CROMPage& rom = sheet.romPage();
    sheet.tabs()->setCurrentWidget(&rom);
    prompts.paths = {image, files.filePath(QStringLiteral("readback.bin"))};
    rom.inFileButton()->click();
    rom.verifyBox()->setChecked(true);
    rom.writeButton()->click();
    sheet.runner().waitUntilIdle();
    rom.outFileButton()->click();
    nuvrel::CEXROMPage& header = sheet.exRomPage();
    sheet.tabs()->setCurrentWidget(&header);
    header.deviceSourceButton()->click();
    return grabPage(sheet, header, folder, QStringLiteral("extended_rom_info"));
}

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
    prompts.paths = {input, QDir(files.path()).filePath(QStringLiteral("backup.srm"))};
    nuvrel::CRAMPage& page = sheet.ramPage();
    sheet.tabs()->setCurrentWidget(&page);
    QApplication::processEvents();
    page.chooseInFile();
    page.chooseOutFile();
    page.startRead();
    sheet.runner().waitUntilIdle();
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
    prompts.paths = {list};
    nuvrel::CGGCodes& page = sheet.ggCodesPage();
    sheet.tabs()->setCurrentWidget(&page);
    QApplication::processEvents();
    page.load();
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
        drawIconSheet(folder) && grabRomPages(sheet, folder) &&
        grabRamPageAfterRead(sheet, sim, folder) && grabPatchPage(sheet, folder) &&
        grabPage(sheet, sheet.romPage(), folder, QStringLiteral("rom_memory")) &&
        grabAddCodeDialog(sheet, folder);
    sheet.hide();
    return ok ? 0 : 1;
}
