// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The ROM image the user selected, with "In File" on the "ROM memory" page or with "Browse" on the
// "Extended ROM info" page. The sheet owns it and hands it to the pages that read or replace it
// (ROM, Extended ROM info, patches); every change notifies them.
#pragma once

#include <QObject>
#include <QString>
#include <cstdint>
#include <optional>

namespace nuvrel {

// What the ROM page's "Disk file info:" fields show for the image, as the last check left them.
// An unset text leaves the field as it was (a check that could not measure the file or read its
// name keeps the earlier text); all are unset until an image was checked.
struct DiskFileTexts {
    std::optional<QString> fileName;      // "File name:": the name without its folder, or empty
    std::optional<QString> sizeText;      // "File size:"
    std::optional<QString> domesticName;  // "Domestic ROM Name:"

    bool operator==(const DiskFileTexts&) const = default;
};

class SelectedImage : public QObject {
    Q_OBJECT

  public:
    explicit SelectedImage(QObject* parent = nullptr);

    // The image's full path; empty until one was chosen.
    const QString& path() const { return m_path; }
    // The image size in bytes as measured when it was checked.
    std::uint32_t size() const { return m_size; }
    // The device's ROM capacity as reported when the image was selected; 0 when no device was
    // found or its model has no known ROM size.
    std::uint32_t deviceCapacity() const { return m_deviceCapacity; }
    // Whether the last check found the image fit to be written (it could be opened and measured).
    bool usable() const { return m_usable; }
    // Whether the ROM page's "Write" is enabled, as that page published it: the patch page
    // follows it. Only the ROM page sets it; nothing flows back from here into the button.
    bool writeEnabled() const { return m_writeEnabled; }
    // Set once the patch page exists; the ROM write applies patches only from then on.
    bool patchesReady() const { return m_patchesReady; }
    // The ROM page's disk-side texts for this image, whichever page selected it.
    const DiskFileTexts& diskTexts() const { return m_diskTexts; }

    void setPath(const QString& path);
    void setSize(std::uint32_t size);
    void setDeviceCapacity(std::uint32_t capacity);
    void setWriteEnabled(bool enabled);
    void setPatchesReady();
    void setDiskTexts(const DiskFileTexts& texts);
    // A checked image chosen by the user, whichever page chose it: all facts at once, then
    // selected() (even when the same file is chosen again) and changed().
    void select(const QString& path, std::optional<std::uint32_t> size, const DiskFileTexts& texts,
                bool usable);

  signals:
    void changed();
    void selected();

  private:
    template <typename T>
    void update(T& member, const T& value);

    QString m_path;
    std::uint32_t m_size = 0;
    std::uint32_t m_deviceCapacity = 0;
    bool m_usable = false;
    bool m_writeEnabled = false;
    bool m_patchesReady = false;
    DiskFileTexts m_diskTexts;
};

}  // namespace nuvrel
