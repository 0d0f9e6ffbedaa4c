// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "shell/selected_image.h"

namespace nuvrel {

SelectedImage::SelectedImage(QObject* parent) : QObject(parent) {}

template <typename T>
void SelectedImage::update(T& member, const T& value) {
    if (member != value) {
        member = value;
        emit changed();
    }
}

void SelectedImage::setPath(const QString& path) {
    update(m_path, path);
}

void SelectedImage::setSize(std::uint32_t size) {
    update(m_size, size);
}

void SelectedImage::setDeviceCapacity(std::uint32_t capacity) {
    update(m_deviceCapacity, capacity);
}

void SelectedImage::setWriteEnabled(bool enabled) {
    update(m_writeEnabled, enabled);
}

void SelectedImage::setPatchesReady() {
    update(m_patchesReady, true);
}

void SelectedImage::setDiskTexts(const DiskFileTexts& texts) {
    update(m_diskTexts, texts);
}

void SelectedImage::select(const QString& path, std::optional<std::uint32_t> size,
                           const DiskFileTexts& texts, bool usable) {
    m_path = path;
    if (size) {
        m_size = *size;
    }
    m_diskTexts = texts;
    m_usable = usable;
    emit selected();
    emit changed();
}

}  // namespace nuvrel
