// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Paths and names as the engines take and give them: bytes in the platform's file-name encoding.
// The device's name slots hold such bytes too (the stored name is made from a path).
#pragma once

#include <QString>
#include <filesystem>
#include <string>

namespace nuvrel {

std::string toEnginePath(const QString& path);
std::filesystem::path toFileSystemPath(const QString& path);
QString fromDeviceName(const std::string& name);
// The stored name as a save dialog's suggestion: empty when it is blank (a clear or a failed
// verify leaves a single space), so that one Enter cannot name a file " .bin".
QString suggestedFileName(const std::string& storedName);

}  // namespace nuvrel
