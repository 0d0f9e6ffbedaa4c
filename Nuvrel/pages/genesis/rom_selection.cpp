#include "pages/genesis/rom_selection.h"

#include <QFile>
#include <QFileInfo>
#include <QMimeData>
#include <QUrl>

#include "engine/device_capacity.h"
#include "engine/input_file.h"
#include "engine/status_text.h"
#include "genesis/rom_image.h"
#include "shell/device_busy.h"
#include "shell/dialog_filter.h"
#include "shell/file_names.h"
#include "shell/library_messages.h"
#include "shell/open_refusal_box.h"
#include "shell/selected_image.h"
#include "shell/user_prompts.h"
#include "shell/wait_cursor.h"

namespace nuvrel {

QString romImageFilter() {
    return dialogFilter(QStringLiteral("Genesis ROMs *.gen,*.bin|*.gen;*.bin|All files *.*|*.*|"));
}

bool takeCapacityForSelection(QWidget* parent, SelectedImage& image) {
    if (deviceInUse()) {
        // The library serves one thread at a time; the running operation has the device.
        return true;
    }
    DeviceCapacity queried;
    QString refusal;
    {
        const WaitCursor wait;
        const OpenRefusalWatch watch;
        // Asked quietly first, so that a refused open is reported with its reason instead of
        // "Device Not Detected!".
        queried = QueryDeviceCapacity(false);
        if (queried.romBytes == 0) {
            refusal = watch.reason();
        }
    }
    if (!queried.answered) {
        // A device that did not answer says nothing about its capacity.
        showMessage(parent, QString::fromStdString(NoAnswerAt(device_step::kSizeQuery).status),
                    PromptIcon::Error);
        image.setDeviceCapacity(0);
        return false;
    }
    std::uint32_t capacity = queried.romBytes;
    if (capacity == 0) {
        if (!showOpenRefusal(parent, refusal)) {
            // The library says "Device Not Detected!" itself when there is no device; a model
            // without a known ROM size gives 0 without a word.
            capacity = QueryDeviceCapacity(true).romBytes;
        }
    }
    image.setDeviceCapacity(capacity);
    return capacity != 0;
}

bool checkAndSelectImage(QWidget* parent, SelectedImage& image, const QString& path) {
    const ImageCheck check = CheckInputImage(toEnginePath(path));
    if (check.notRegularFile) {
        showMessage(parent, QString::fromLatin1(kNotARegularFile), PromptIcon::Information);
    }
    image.setPath(path);
    if (check.size) {
        image.setSize(*check.size);
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
    image.setDiskTexts(texts);
    image.setWriteEnabled(check.usable);
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
