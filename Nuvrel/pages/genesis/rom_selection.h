// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Selecting a ROM image, shared by the "ROM memory" page's "In File", the "Extended ROM info"
// page's "Browse" and a file dropped on either page: the device capacity seen at selection, the
// check of the image and what the selection shows on the ROM page, all kept in SelectedImage.
#pragma once

#include <QString>

class QMimeData;
class QWidget;

namespace nuvrel {

class SelectedImage;

// The filter of the ROM file dialogs: Genesis ROMs (*.gen, *.bin) or all files.
QString romImageFilter();

// Asks the device for its ROM capacity and records it as the capacity seen at selection. When the
// device cannot be opened the user is told why: the library's reason for a refused open, else
// the library's own "Device Not Detected!". Returns false when the selection must not go on
// (capacity 0: no device, or a model without a known ROM size). While another operation uses the
// device nothing is asked: the capacity seen last stays and the selection goes on.
bool takeCapacityForSelection(QWidget* parent, SelectedImage& image);

// Checks the image at path and makes it the selection: path, size, the disk-side texts and
// whether "Write" is usable. A folder, device, FIFO or socket is said to be no file (a box over
// parent). Returns whether the image is usable.
bool checkAndSelectImage(QWidget* parent, SelectedImage& image, const QString& path);

// The local .gen or .bin file a drag carries, or an empty string when it carries anything else
// (several files, a folder, a remote address, another kind of file).
QString droppedRomImage(const QMimeData* data);

}  // namespace nuvrel
