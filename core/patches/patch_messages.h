// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Texts the patch page and the command-line tool show to the user.
#pragma once

#include <string_view>

namespace nuvrel::patch_messages {

inline constexpr std::string_view kRegisterFailed =
    "Failed to registered WNDCLASS for parsed control";
inline constexpr std::string_view kAddressNotInRomArea = "Address not in ROM data Area!";
inline constexpr std::string_view kNoItemsSelected = "No items were selected!";
inline constexpr std::string_view kCannotWrite = "Can't create file for writing!";
inline constexpr std::string_view kCannotRead = "Can't create file for reading!";
inline constexpr std::string_view kWrongFormat = "Wrong file format!";
inline constexpr std::string_view kAddressPresent =
    "Address already present, would you like replace address with new data?";

}  // namespace nuvrel::patch_messages
