// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The "ROM memory" page programs an image with verify and reads the ROM back through libusb on
// an emulated device node (offscreen Qt, the library in this process), as with a user's device.
#include <velk_series/velk_series.h>
#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>
#include <memory>

#include "rom_pages_fixture.h"
#include "support/gui_test_main.h"
#include "support/recording_prompts.h"
#include "usb_node.h"

using nuvrel::testing::RecordingPrompts;
using romtest::Pages;

class UsbRomPageTest : public QObject {
    Q_OBJECT

  private slots:
    void init() {
        romtest::beginPageTest(m_folder);
        m_node = std::make_unique<velkusb::UsbNode>();
        velkusb::NodeDeviceConfig config;
        config.device = romtest::quickDevice();
        m_node->add(config);
    }
    void cleanup() {
        SetVelkDeviceProcessed(0);
        m_node.reset();
    }

    void a_verified_write_and_the_read_back_go_through_libusb() {
        Pages pages;
        RecordingPrompts prompts;
        const QByteArray image = romtest::genesisImage(0x40000, "USB PAGE CART");
        const QString output = m_folder.filePath(QStringLiteral("readback.bin"));
        prompts.paths = {m_folder.image("programmed.bin", image), output};

        pages.rom.inFileButton()->click();
        QCOMPARE(pages.rom.diskDomesticName()->text(), QStringLiteral("USB PAGE CART"));
        pages.rom.verifyBox()->setChecked(true);
        pages.rom.writeButton()->click();
        pages.runner.waitUntilIdle();
        QCOMPARE(pages.rom.statusLine()->text(), QStringLiteral("Write Complite"));
        QCOMPARE(m_node->romBytes(0, 0, static_cast<std::size_t>(image.size())),
                 romtest::bytesOf(image));
        QCOMPARE(m_node->fileName(0, 0), std::string("programmed.bin"));

        pages.rom.outFileButton()->click();
        QCOMPARE(pages.rom.deviceFileName()->text(), QStringLiteral("readback.bin"));
        pages.rom.readButton()->click();
        pages.runner.waitUntilIdle();
        QCOMPARE(pages.rom.statusLine()->text(), QStringLiteral("Read Complite"));
        QFile file(output);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray dump = file.readAll();
        QCOMPARE(dump.size(), 0x400000);
        QCOMPARE(dump.left(image.size()), image);
        QVERIFY(prompts.messages.empty());

        const velkusb::UrbStats stats = m_node->stats(0);
        QVERIFY(stats.submitted > 0x40000 / 512);
        QCOMPARE(stats.discarded, std::uint64_t{0});
        QVERIFY(m_node->protocolErrors(0).empty());
    }

    void an_unplug_during_the_read_back_ends_with_the_address_and_no_file() {
        velkusb::UrbFaults faults;
        faults.unplug = velkusb::UrbTrigger::afterCommand(0x52, 9);
        m_node->setFaults(0, faults);
        Pages pages;
        RecordingPrompts prompts;
        const QString output = m_folder.filePath(QStringLiteral("unplugged.bin"));
        prompts.paths = {m_folder.image("game.bin", romtest::genesisImage(0x8000)), output};
        pages.rom.inFileButton()->click();
        pages.rom.outFileButton()->click();
        pages.rom.readButton()->click();
        pages.runner.waitUntilIdle();
        QCOMPARE(pages.rom.statusLine()->text(), QStringLiteral("Read error at: 0x001C00"));
        QVERIFY(!QFile::exists(output));
    }

  private:
    romtest::ImageFolder m_folder;
    std::unique_ptr<velkusb::UsbNode> m_node;
};

int main(int argc, char** argv) {
    velkusb::enterMockEnvironment(argv);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    nuvrel::testing::PrivateUserFolders folders;
    QApplication app(argc, argv);
    nuvrel::initResources();
    UsbRomPageTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "gui_usb_rom_page_test.moc"
