// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "patches/patch_list.h"

#include <algorithm>

#include "patches/hex_text.h"

namespace nuvrel {

std::uint32_t PatchRow::parsedAddress() const {
    return static_cast<std::uint32_t>(ParseHexText(address));
}

std::uint32_t PatchRow::parsedData() const {
    return static_cast<std::uint32_t>(ParseHexText(data));
}

std::optional<std::size_t> PatchList::FindPatchRow(std::uint32_t address) const {
    for (std::size_t index = 0; index < rows_.size(); ++index) {
        if (rows_[index].parsedAddress() == address) {
            return index;
        }
    }
    return std::nullopt;
}

void PatchList::AppendPatchRow(std::uint32_t address, std::uint32_t data, std::string_view code) {
    rows_.push_back(
        PatchRow{false, FormatPatchAddress(address), FormatPatchData(data), std::string(code)});
}

void PatchList::ReplacePatchRow(std::size_t index, std::uint32_t data, std::string_view code) {
    PatchRow& row = rows_.at(index);
    row.data = FormatPatchData(data);
    row.code = std::string(code);
}

void PatchList::DeletePatchRow(std::size_t index) {
    if (index >= rows_.size()) {
        return;
    }
    rows_.erase(rows_.begin() + static_cast<std::ptrdiff_t>(index));
}

void PatchList::SetChecked(std::size_t index, bool checked) {
    rows_.at(index).checked = checked;
}

namespace {

bool AppliesTo(const PatchRow& row, std::uint32_t length) {
    return row.checked && row.parsedAddress() < length;
}

}  // namespace

void ApplyPatches(const PatchList& list, std::span<std::uint8_t> image, std::uint32_t length) {
    for (const PatchRow& row : list.rows()) {
        const std::uint32_t address = row.parsedAddress();
        if (!AppliesTo(row, length) || address >= image.size()) {
            continue;
        }
        const std::uint32_t data = row.parsedData();
        image[address] = static_cast<std::uint8_t>(data >> 8);
        if (std::size_t{address} + 1 < image.size()) {
            image[address + 1] = static_cast<std::uint8_t>(data);
        }
    }
}

void ApplyPatches(const PatchList& list, std::uint8_t* buffer, std::uint32_t length) {
    ApplyPatches(list, std::span<std::uint8_t>(buffer, std::size_t{length} + 1), length);
}

std::size_t AppliedPatchCount(const PatchList& list, std::uint32_t length) {
    return static_cast<std::size_t>(
        std::count_if(list.rows().begin(), list.rows().end(),
                      [length](const PatchRow& row) { return AppliesTo(row, length); }));
}

}  // namespace nuvrel
