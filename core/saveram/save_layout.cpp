// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "saveram/save_layout.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdio>

#include "saveram/save_ram.h"

namespace nuvrel {
namespace {

struct LayoutTraits {
    SaveLayout layout;
    std::string_view name;
    bool twoBytesPerSave;  // every save byte takes a word of the file
    bool saveAtOdd;        // where a two-byte layout keeps the save byte
    int filler;            // the other byte of the word; -1: a copy of the save byte
    // How a file in this layout reaches the device, after the description of what it holds.
    const char* conversion;
};

constexpr std::array<LayoutTraits, 6> kLayouts = {{
    {SaveLayout::Window, "window", true, true, 0x00, "as the device keeps it"},
    {SaveLayout::Compact, "compact", false, true, 0x00, "expanded for the device"},
    {SaveLayout::OddFF, "odd-ff", true, true, 0xFF, "filler cleared for the device"},
    {SaveLayout::Even00, "even-00", true, false, 0x00, "moved to the odd bytes for the device"},
    {SaveLayout::EvenFF, "even-ff", true, false, 0xFF, "moved to the odd bytes for the device"},
    {SaveLayout::Doubled, "doubled", true, true, -1, "halved for the device"},
}};

constexpr std::array<SaveLayout, kLayouts.size()> kOrder = {
    SaveLayout::Window, SaveLayout::Compact, SaveLayout::OddFF,
    SaveLayout::Even00, SaveLayout::EvenFF,  SaveLayout::Doubled};

const LayoutTraits& Traits(SaveLayout layout) {
    return kLayouts[static_cast<std::size_t>(layout)];
}

std::string SizeText(std::size_t bytes) {
    char text[32];
    if (bytes >= 1024 && bytes % 1024 == 0) {
        std::snprintf(text, sizeof text, "%zu KiB", bytes / 1024);
    } else {
        std::snprintf(text, sizeof text, "%zu-byte", bytes);
    }
    return text;
}

// Whether the file's bytes are what `layout` would have written for some save.
bool Matches(std::span<const std::uint8_t> file, const LayoutTraits& traits) {
    if (!traits.twoBytesPerSave) {
        return true;
    }
    if (file.size() % 2 != 0) {
        return false;
    }
    for (std::size_t i = 0; i < file.size(); i += 2) {
        const std::uint8_t save = traits.saveAtOdd ? file[i + 1] : file[i];
        const std::uint8_t other = traits.saveAtOdd ? file[i] : file[i + 1];
        if (other != (traits.filler < 0 ? save : traits.filler)) {
            return false;
        }
    }
    return true;
}

// The whole window, or what a read of it leaves in a file (whole kilobytes): a model that
// reports an odd save-RAM value has a window a word longer than its dumps.
bool WholeWindowSized(std::size_t fileBytes, std::uint32_t ramSize) {
    const std::uint64_t window = 2ull * ramSize;
    return fileBytes == window || fileBytes == window / 1024 * 1024;
}

bool FitsWindow(std::size_t fileBytes, std::uint32_t ramSize, const LayoutTraits& traits) {
    if (traits.twoBytesPerSave) {
        return fileBytes <= 2ull * ramSize;
    }
    return fileBytes <= ramSize && fileBytes <= kLargestCompactSave;
}

std::string KnownText(SaveLayout layout, std::size_t saveBytes) {
    return DescribeSave(layout, saveBytes) + ", " + Traits(layout).conversion;
}

SaveLayoutDetection Known(SaveLayout layout, std::size_t saveBytes) {
    return {SaveLayoutVerdict::Known, layout, saveBytes, KnownText(layout, saveBytes), {}};
}

SaveLayoutDetection TooLarge(std::size_t fileBytes, std::uint32_t ramSize) {
    const auto shown = static_cast<std::uint32_t>(std::min<std::size_t>(fileBytes, 0xFFFFFFFFu));
    return {SaveLayoutVerdict::TooLarge,
            SaveLayout::Window,
            0,
            SaveTooLargeMessage(ramSize, shown),
            {}};
}

}  // namespace

std::span<const SaveLayout> AllSaveLayouts() {
    return kOrder;
}

std::string_view SaveLayoutName(SaveLayout layout) {
    return Traits(layout).name;
}

std::optional<SaveLayout> SaveLayoutFromName(std::string_view name) {
    for (const LayoutTraits& traits : kLayouts) {
        if (traits.name == name) {
            return traits.layout;
        }
    }
    return std::nullopt;
}

std::string DescribeSave(SaveLayout layout, std::size_t saveBytes) {
    const std::string size = SizeText(saveBytes);
    switch (layout) {
        case SaveLayout::Window:
            return "window image of a " + size + " save";
        case SaveLayout::Compact:
            return "compact " + size + " save";
        case SaveLayout::OddFF:
            return "expanded " + size + " save (0xFF filler in the even bytes)";
        case SaveLayout::Even00:
            return "expanded " + size + " save (in the even bytes, 0x00 filler)";
        case SaveLayout::EvenFF:
            return "expanded " + size + " save (in the even bytes, 0xFF filler)";
        case SaveLayout::Doubled:
            return "byte-doubled " + size + " save";
    }
    return size + " save";
}

std::vector<std::uint8_t> DecodeSave(std::span<const std::uint8_t> file, SaveLayout layout) {
    const LayoutTraits& traits = Traits(layout);
    if (!traits.twoBytesPerSave) {
        return {file.begin(), file.end()};
    }
    std::vector<std::uint8_t> save(file.size() / 2);
    for (std::size_t i = 0; i < save.size(); ++i) {
        save[i] = file[2 * i + (traits.saveAtOdd ? 1 : 0)];
    }
    return save;
}

std::vector<std::uint8_t> EncodeSave(std::span<const std::uint8_t> save, SaveLayout layout) {
    const LayoutTraits& traits = Traits(layout);
    if (!traits.twoBytesPerSave) {
        return {save.begin(), save.end()};
    }
    std::vector<std::uint8_t> file(2 * save.size());
    for (std::size_t i = 0; i < save.size(); ++i) {
        const auto other = static_cast<std::uint8_t>(traits.filler < 0 ? save[i] : traits.filler);
        file[2 * i] = traits.saveAtOdd ? other : save[i];
        file[2 * i + 1] = traits.saveAtOdd ? save[i] : other;
    }
    return file;
}

std::size_t WindowBlockToLayout(std::uint8_t* block, std::size_t length, SaveLayout layout) {
    const std::span<const std::uint8_t> window(block, length);
    const std::vector<std::uint8_t> file =
        EncodeSave(DecodeSave(window, SaveLayout::Window), layout);
    std::copy(file.begin(), file.end(), block);
    return file.size();
}

SaveLayoutDetection DetectSaveLayout(std::span<const std::uint8_t> file, std::uint32_t ramSize) {
    if (file.empty()) {
        return {SaveLayoutVerdict::Unknown, SaveLayout::Window, 0, "The save file is empty", {}};
    }
    std::vector<SaveLayout> fitting;
    for (const SaveLayout layout : kOrder) {
        const LayoutTraits& traits = Traits(layout);
        const bool compactSize = traits.twoBytesPerSave || std::has_single_bit(file.size());
        if (compactSize && FitsWindow(file.size(), ramSize, traits) && Matches(file, traits)) {
            fitting.push_back(layout);
        }
    }
    if (fitting.empty()) {
        if (file.size() > 2ull * ramSize) {
            return TooLarge(file.size(), ramSize);
        }
        if (WholeWindowSized(file.size(), ramSize)) {
            // What the device keeps of its window is the odd bytes alone, whatever the even
            // ones hold.
            SaveLayoutDetection window = Known(SaveLayout::Window, file.size() / 2);
            window.text =
                DescribeSave(SaveLayout::Window, file.size() / 2) + ", " + kEvenBytesIgnored;
            return window;
        }
        return {SaveLayoutVerdict::Unknown,
                SaveLayout::Window,
                0,
                "Unknown save file layout: " + std::to_string(file.size()) +
                    " bytes, neither a compact save nor a word-per-byte save",
                {}};
    }
    // A window-sized file that reads as the window is the device's own dump, as it always has
    // been: an erased save read from the device (0xFF in every odd byte) is never reread as a
    // blank save with 0xFF filler.
    if (fitting.front() == SaveLayout::Window && WholeWindowSized(file.size(), ramSize)) {
        return Known(SaveLayout::Window, ramSize);
    }
    // Readings that put the same save bytes on the device are one answer: an all-zero window is
    // also an all-zero doubled save. Those that would not are for the user to choose between.
    std::vector<SaveLayoutChoice> choices;
    std::vector<std::vector<std::uint8_t>> readings;
    for (const SaveLayout layout : fitting) {
        std::vector<std::uint8_t> save = DecodeSave(file, layout);
        if (std::find(readings.begin(), readings.end(), save) == readings.end()) {
            choices.push_back({layout, DescribeSave(layout, save.size())});
            readings.push_back(std::move(save));
        }
    }
    if (choices.size() == 1) {
        return Known(choices.front().layout, readings.front().size());
    }
    std::string text = "Can't tell the save file's layout: it reads as ";
    for (std::size_t i = 0; i < choices.size(); ++i) {
        text += (i == 0 ? "" : i + 1 == choices.size() ? " or as " : ", as ");
        text += choices[i].description;
    }
    return {SaveLayoutVerdict::Ambiguous, choices.front().layout, 0, text, choices};
}

SaveLayoutDetection NamedSaveLayout(std::span<const std::uint8_t> file, std::uint32_t ramSize,
                                    SaveLayout layout) {
    if (!FitsWindow(file.size(), ramSize, Traits(layout))) {
        return TooLarge(file.size(), ramSize);
    }
    return Known(layout, DecodeSave(file, layout).size());
}

}  // namespace nuvrel
