// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The layouts a Genesis save file comes in, telling them apart, and converting between them.
// Emulators and other dumpers keep the same save bytes in different shapes; sending one shape as
// another corrupts the cartridge's save, so a layout that cannot be told apart is refused rather
// than guessed. Qt-free, no device access.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace nuvrel {

enum class SaveLayout {
    Window,   // the device's window image: save bytes at odd offsets, 0x00 at even ones
    Compact,  // the save bytes alone, one after the other
    OddFF,    // save bytes at odd offsets, 0xFF at even ones
    Even00,   // save bytes at even offsets, 0x00 at odd ones
    EvenFF,   // save bytes at even offsets, 0xFF at odd ones
    Doubled,  // every save byte twice
};

// Said of a window-sized file whose even bytes hold no filler pattern.
inline constexpr const char* kEvenBytesIgnored =
    "even bytes ignored: the device keeps only the odd bytes";

// The largest compact save a Genesis cartridge carries.
inline constexpr std::uint32_t kLargestCompactSave = 32768;

// Every layout, in the order a tie between equal readings is settled (the device's own first).
std::span<const SaveLayout> AllSaveLayouts();

// The name the command line uses ("window", "compact", "odd-ff", "even-00", "even-ff",
// "doubled"), and back; nullopt for an unknown name.
std::string_view SaveLayoutName(SaveLayout layout);
std::optional<SaveLayout> SaveLayoutFromName(std::string_view name);

// "compact 32 KiB save", "window image of a 16 KiB save", ...
std::string DescribeSave(SaveLayout layout, std::size_t saveBytes);

// The save bytes a file in `layout` holds, and a file in `layout` holding `save`.
std::vector<std::uint8_t> DecodeSave(std::span<const std::uint8_t> file, SaveLayout layout);
std::vector<std::uint8_t> EncodeSave(std::span<const std::uint8_t> save, SaveLayout layout);

// Turns one block of the device's window (even offset first) into the same stretch of a file in
// `layout`, in place; returns how many bytes of it go to the file.
std::size_t WindowBlockToLayout(std::uint8_t* block, std::size_t length, SaveLayout layout);

enum class SaveLayoutVerdict {
    Known,      // layout and saveBytes say what the file holds
    Ambiguous,  // readings that would put different saves on the device
    Unknown,    // no layout fits the file's bytes
    TooLarge,   // larger than the window in every layout
};

// One way to read an ambiguous file: its layout and, in plain words, what it then holds.
struct SaveLayoutChoice {
    SaveLayout layout = SaveLayout::Window;
    std::string description;  // "compact 32 KiB save"
    bool operator==(const SaveLayoutChoice&) const = default;
};

struct SaveLayoutDetection {
    SaveLayoutVerdict verdict = SaveLayoutVerdict::Unknown;
    SaveLayout layout = SaveLayout::Window;
    std::size_t saveBytes = 0;
    // One line for the user: what was found and what is done with it, or why it is refused.
    std::string text;
    // Ambiguous: one layout for each reading that would put different bytes in the save RAM,
    // in tie order; the user names one of them.
    std::vector<SaveLayoutChoice> choices;
};

// Which layout `file` is in, for a device whose save-RAM value is ramSize (its window spans
// twice that). A compact file holds a power of two of at most kLargestCompactSave bytes. Readings
// that would write different bytes are Ambiguous, never guessed; a file of exactly the window's
// size that no filler pattern fits is the window image, its even bytes ignored as the device
// ignores them.
SaveLayoutDetection DetectSaveLayout(std::span<const std::uint8_t> file, std::uint32_t ramSize);

// The same check for a layout the user named: TooLarge when the file does not fit the window
// in it, Known otherwise.
SaveLayoutDetection NamedSaveLayout(std::span<const std::uint8_t> file, std::uint32_t ramSize,
                                    SaveLayout layout);

}  // namespace nuvrel
