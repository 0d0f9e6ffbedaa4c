// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "pages/genesis/rom_selection.h"

#include <QFile>
#include <QFileInfo>
#include <QMimeData>
#include <QUrl>

#include "engine/device_capacity.h"
#include "engine/input_file.h"
#include "engine/status_text.h"
#include "genesis/rom_image.h"
#include "shell/device_query.h"
#include "shell/dialog_filter.h"
#include "shell/file_names.h"
#include "shell/selected_image.h"
#include "shell/user_prompts.h"

namespace nuvrel {

QString romImageFilter() {
    return dialogFilter(QStringLiteral("Genesis ROMs *.gen,*.bin|*.gen;*.bin|All files *.*|*.*|"));
}

bool takeCapacityForSelection(QWidget* parent, SelectedImage& image) {
    // A model without a known ROM size reports 0 like a missing device; the library's second
    // answer tells them apart by saying "Device Not Detected!" only for the latter.
    const DeviceReply<DeviceCapacity> reply =
        askDevice<DeviceCapacity>([](bool message) { return QueryDeviceCapacity(message); },
                                  [](const DeviceCapacity& capacity) {
                                      return QueryFacts{capacity.romBytes != 0, capacity.answered};
                                  },
                                  device_step::kSizeQuery, true);
    if (reply.problem.kind == DeviceProblem::Busy) {
        // The running operation has the device; the capacity seen before still holds.
        return true;
    }
    showDeviceProblem(parent, reply.problem);
    // A device that did not answer says nothing about its capacity.
    const std::uint32_t capacity = reply.ok() ? reply.value.romBytes : 0;
    image.setDeviceCapacity(capacity);
    return capacity != 0;
}

bool checkAndSelectImage(QWidget* parent, SelectedImage& image, const QString& path) {
    const ImageCheck check = CheckInputImage(toEnginePath(path));
    if (check.notRegularFile) {
        showMessage(parent, QString::fromLatin1(kNotARegularFile), PromptIcon::Information);
    }
    DiskFileTexts texts = image.diskTexts();
    texts.fileName = check.usable ? QFileInfo(path).fileName() : QString();
    if (check.sizeText) {
        texts.sizeText = QString::fromStdString(*check.sizeText);
    }
    if (check.domesticName) {
        // Header texts are bytes; Latin-1 shows each of them as one character.
        texts.domesticName = QString::fromLatin1(*check.domesticName);
    }
    image.select(path, check.size, texts, check.usable);
    return check.usable;
}

QString droppedRomImage(const QMimeData* data) {
    if (data == nullptr || !data->hasUrls() || data->urls().size() != 1) {
        return QString();
    }
    const QUrl url = data->urls().constFirst();
    if (!url.isLocalFile()) {
        return QString();
    }
    const QFileInfo file(url.toLocalFile());
    const QString suffix = file.suffix().toLower();
    if (!file.isFile() || (suffix != QLatin1String("gen") && suffix != QLatin1String("bin"))) {
        return QString();
    }
    return file.absoluteFilePath();
}

}  // namespace nuvrel
