// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include <algorithm>

#include "engine/whole_file.h"
#include "saveram/save_layout.h"
#include "saveram/save_ram.h"

namespace nuvrel {

PreparedSave PrepareSaveFile(const std::string& path, std::uint32_t ramSize,
                             std::optional<SaveLayout> named) {
    PreparedSave prepared;
    // No layout puts more than the window's bytes in a file; a larger one is refused unread.
    const WholeFile file = ReadWholeFile(path, 2ull * ramSize);
    if (file.tooLarge) {
        prepared.opened = true;
        const auto shown =
            static_cast<std::uint32_t>(std::min<std::uint64_t>(file.size, 0xFFFFFFFFu));
        prepared.detection = {SaveLayoutVerdict::TooLarge,
                              SaveLayout::Window,
                              0,
                              SaveTooLargeMessage(ramSize, shown),
                              {}};
        return prepared;
    }
    prepared.notRegular = file.status == InputFile::Status::NotRegular;
    if (!file.read()) {
        return prepared;
    }
    prepared.opened = true;
    prepared.detection = named ? NamedSaveLayout(file.bytes, ramSize, *named)
                               : DetectSaveLayout(file.bytes, ramSize);
    if (prepared.detection.verdict != SaveLayoutVerdict::Known) {
        return prepared;
    }
    if (prepared.detection.layout == SaveLayout::Window) {
        // The device's own layout goes as it stands, every byte of it.
        prepared.windowBytes = static_cast<std::uint32_t>(file.bytes.size());
        return prepared;
    }
    prepared.windowImage =
        EncodeSave(DecodeSave(file.bytes, prepared.detection.layout), SaveLayout::Window);
    prepared.windowBytes = static_cast<std::uint32_t>(prepared.windowImage.size());
    return prepared;
}

}  // namespace nuvrel
