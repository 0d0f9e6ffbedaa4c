// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The per-user store of remembered folders: string values under one key, opened and closed on
// every call. On Windows the key lives under HKEY_CURRENT_USER; elsewhere it is the ordinary
// per-user Qt settings file of the organisation "Nuvrel", group "Params".
#pragma once

#include <QString>

namespace nuvrel {

inline constexpr const char* SettingsKey = "Software\\Nuvrel\\Params";

// Value names, one per kind of file dialog.
inline constexpr const char* kLoadRomDir = "Load ROM Dir";
inline constexpr const char* kSaveRomDir = "Save ROM Dir";
inline constexpr const char* kLoadRamDir = "Load RAM Dir";
inline constexpr const char* kSaveRamDir = "Save RAM Dir";
inline constexpr const char* kLoadGgCodeDir = "Load GG Code Dir";
inline constexpr const char* kSaveGgCodeDir = "Save GG Code Dir";
// The device chosen in the window: its serial number, or its name when it has none.
inline constexpr const char* kChosenDevice = "Device";

// Reads a string value into buffer. Returns false, leaving buffer exactly as it was, when the key
// or the value is missing or is not a string.
bool ReadSettingString(const QString& key, const QString& valueName, QString& buffer);

// Stores text as the value, creating the key if needed. Returns false when it could not be stored.
bool WriteSettingString(const QString& key, const QString& valueName, const QString& text);

}  // namespace nuvrel
