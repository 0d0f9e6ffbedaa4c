// What the widget tests of the "ROM memory" and "Extended ROM info" pages share: Genesis images
// on disk, a virtual device whose erases finish at once, and the pages wired to one shared
// selection the way the main sheet wires them.
#pragma once

#include <velk_series/velk_series.h>
#include <velk_sim/sim_harness.h>
#include <QByteArray>
#include <QFile>
#include <QMimeData>
#include <QTemporaryDir>
#include <QUrl>
#include <QtTest>
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "pages/genesis/exrom_page.h"
#include "pages/genesis/rom_page.h"
#include "patches/patch_list.h"
#include "shell/device_operation_runner.h"
#include "shell/library_messages.h"
#include "shell/selected_image.h"

namespace romtest {

inline void putText(QByteArray& image, int offset, int length, const QByteArray& text) {
    for (int i = 0; i < length; ++i) {
        image[offset + i] = i < text.size() ? text[i] : ' ';
    }
}

inline void putLong(QByteArray& image, int offset, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        image[offset + i] = static_cast<char>(value >> (24 - 8 * i));
    }
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
    putText(image, 0x100, 16, "SEGA MEGA DRIVE");
    putText(image, 0x110, 16, "(C)NUVR 2026.DEC");
    putText(image, 0x120, 48, domesticName);
    putText(image, 0x150, 48, "OVERSEAS " + domesticName);
    putText(image, 0x180, 14, "GM 00000000-00");
    image[0x18E] = 0x12;
    image[0x18F] = 0x34;
    putLong(image, 0x1A0, 0);
    putLong(image, 0x1A4, static_cast<std::uint32_t>(size - 1));
    putLong(image, 0x1A8, 0x200001);
    putLong(image, 0x1AC, 0x20FFFF);
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

// A drag carrying one local file.
inline QMimeData* fileDrag(const QString& path) {
    auto* data = new QMimeData;
    data->setUrls({QUrl::fromLocalFile(path)});
    return data;
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

// The SMD file of a plain image: 512 header bytes, then each 16 KiB with its odd bytes first.
inline QByteArray asSmd(const QByteArray& plain) {
    QByteArray smd(512, '\0');
    for (int block = 0; block < plain.size(); block += 16384) {
        for (int i = 1; i < 16384; i += 2) {
            smd.append(plain[block + i]);
        }
        for (int i = 0; i < 16384; i += 2) {
            smd.append(plain[block + i]);
        }
    }
    return smd;
}

}  // namespace romtest
