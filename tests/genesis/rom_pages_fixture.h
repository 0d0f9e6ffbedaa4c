// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// What the widget tests of the "ROM memory" and "Extended ROM info" pages share: Genesis images
// on disk, a virtual device whose erases finish at once, and the pages wired to one shared
// selection the way the main sheet wires them.
#pragma once

#include <velk_series/velk_series.h>
#include <velk_sim/sim_harness.h>
#include <QByteArray>
#include <QDropEvent>
#include <QFile>
#include <QMimeData>
#include <QTemporaryDir>
#include <QUrl>
#include <QtTest>
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "genesis_image.h"
#include "pages/genesis/exrom_page.h"
#include "pages/genesis/rom_page.h"
#include "patches/patch_list.h"
#include "shell/device_operation_runner.h"
#include "shell/library_messages.h"
#include "shell/selected_image.h"
#include "shell/settings_store.h"

namespace romtest {

// The bytes of a QByteArray, for the shared image builders.
inline std::span<std::uint8_t> bytesIn(QByteArray& bytes) {
    return {reinterpret_cast<std::uint8_t*>(bytes.data()), static_cast<std::size_t>(bytes.size())};
}

// size bytes of pattern (every 512-byte block differs, none is all 0xFF) with a Genesis header:
// the names padded with spaces, checksum 0x1234, ROM 0 ... size - 1, RAM 0x200001 ... 0x20FFFF.
inline QByteArray genesisImage(int size, const QByteArray& domesticName = "NUVREL TEST CART") {
    QByteArray image(size, '\0');
    for (int i = 0; i < size; ++i) {
        image[i] = static_cast<char>((i * 7 + i / 512) & 0x7F);
    }
    if (size < 0x1B0) {
        return image;
    }
    nuvrel::testing::PutGenesisHeader(bytesIn(image), {domesticName.toStdString(), 0x200001});
    image[0x18E] = 0x12;
    image[0x18F] = 0x34;
    return image;
}

inline QString writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(bytes) != bytes.size()) {
        return QString();
    }
    return path;
}

inline std::vector<std::uint8_t> bytesOf(const QByteArray& bytes) {
    return {bytes.begin(), bytes.end()};
}

// A test's folder for its image files.
class ImageFolder : public QTemporaryDir {
  public:
    QString image(const QString& name, const QByteArray& bytes) const {
        return writeFile(filePath(name), bytes);
    }
};

// Before each test: the folder is usable and no ROM folder is remembered, so that every dialog
// opens where the test expects it.
inline void beginPageTest(const ImageFolder& folder) {
    QVERIFY(folder.isValid());
    for (const char* name : {nuvrel::kLoadRomDir, nuvrel::kSaveRomDir}) {
        nuvrel::WriteSettingString(QString::fromLatin1(nuvrel::SettingsKey),
                                   QString::fromLatin1(name), QString());
    }
}

// A device whose erases finish without status polls.
inline velksim::DeviceConfig quickDevice(char model = 'c') {
    velksim::DeviceConfig config;
    config.model = model;
    config.erasePolls = 0;
    return config;
}

// Stores a name in a slot of the plugged-in device, as an earlier write would have.
inline void storeName(const char* name, std::uint8_t slot = VELK_SLOT_ROM_NAME) {
    DeviceHandle device = OpenVelkDevice();
    QVERIFY(device != VELK_INVALID_DEVICE);
    char buffer[64] = {};
    std::memcpy(buffer, name, std::min(std::strlen(name), sizeof buffer - 1));
    WriteFileName(device, buffer, slot);
    CloseVelkDevice(device);
}

// Drags one local file onto a page and, when the page takes the drag, drops it there. Returns
// whether the page took it.
inline bool dropFile(QWidget& page, const QString& path) {
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(path)});
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&page, &enter);
    if (!enter.isAccepted()) {
        return false;
    }
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&page, &drop);
    return true;
}

// The pages as the sheet builds them: one runner, one selection, one patch list; the library's
// messages ("Device Not Detected!") shown through the test's prompts.
struct Pages {
    Pages() {
        nuvrel::installLibraryMessageHandler(&runner);
        runner.setTickInterval(std::chrono::milliseconds(50));
    }
    ~Pages() {
        runner.waitUntilIdle();
        nuvrel::removeLibraryMessageHandler();
    }

    nuvrel::DeviceOperationRunner runner;
    nuvrel::SelectedImage image;
    nuvrel::PatchList patches;
    nuvrel::CROMPage rom{runner, image, patches};
    nuvrel::CEXROMPage header{image};
};

// The SMD file of a plain image.
inline QByteArray asSmd(const QByteArray& plain) {
    const std::vector<std::uint8_t> smd = nuvrel::testing::SmdFile(bytesOf(plain));
    return QByteArray(reinterpret_cast<const char*>(smd.data()),
                      static_cast<qsizetype>(smd.size()));
}

}  // namespace romtest
