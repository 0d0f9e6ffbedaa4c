// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The patch list: rows kept as the texts the list shows, in insertion order. The texts are the
// only record of a patch; every use of the numbers parses them back.
//
// PatchList is a plain value. The owner (the patch page, on the user-interface thread) copies it
// when a ROM write starts and hands the copy to the worker, so the worker never reads rows that
// are being changed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace nuvrel {

struct PatchRow {
    bool checked = false;
    std::string address;  // "Pos. in ROM", "%.6X"
    std::string data;     // "DATA", "%.4X"
    std::string code;     // "GG Code"

    std::uint32_t parsedAddress() const;
    std::uint32_t parsedData() const;
    bool operator==(const PatchRow&) const = default;
};

class PatchList {
  public:
    const std::vector<PatchRow>& rows() const { return rows_; }
    std::size_t size() const { return rows_.size(); }
    bool empty() const { return rows_.empty(); }
    const PatchRow& row(std::size_t index) const { return rows_.at(index); }

    // Index of the first row whose parsed address equals the address.
    std::optional<std::size_t> FindPatchRow(std::uint32_t address) const;
    // Adds an unchecked row at the end.
    void AppendPatchRow(std::uint32_t address, std::uint32_t data, std::string_view code);
    // Replaces data and code of a row; its check state and position stay.
    void ReplacePatchRow(std::size_t index, std::uint32_t data, std::string_view code);
    void DeletePatchRow(std::size_t index);
    void SetChecked(std::size_t index, bool checked);
    void Clear() { rows_.clear(); }

    bool operator==(const PatchList&) const = default;

  private:
    std::vector<PatchRow> rows_;
};

// The ROM data area is the byte offsets 0 ... romSize - 1.
inline bool IsInRomArea(std::uint32_t address, std::uint32_t romSize) {
    return address < romSize;
}

// Stores every checked row's data big-endian at its byte address (which may be odd), in list
// order, so a later row wins. Rows at or beyond length are skipped. A patch at length - 1 writes
// its low byte just past the image: image must hold at least that one slack byte, and a byte
// beyond image.size() is never written.
void ApplyPatches(const PatchList& list, std::span<std::uint8_t> image, std::uint32_t length);

// The same for a buffer that has at least length + 1 bytes.
void ApplyPatches(const PatchList& list, std::uint8_t* buffer, std::uint32_t length);

// How many rows ApplyPatches changes an image of `length` bytes with: the checked rows whose
// address lies inside it.
std::size_t AppliedPatchCount(const PatchList& list, std::uint32_t length);

}  // namespace nuvrel
