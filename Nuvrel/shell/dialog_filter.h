// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// File-dialog filters are given as pairs of description and pattern, each ended by "|"
// ("Text files *.txt|*.txt|All files *.*|*.*|"), patterns separated by ";". Qt's dialogs want
// "Text files *.txt (*.txt);;All files *.* (*)", patterns separated by spaces, "*.*" (every file)
// as "*".
#pragma once

#include <QString>

namespace nuvrel {

QString dialogFilter(const QString& pairs);

}  // namespace nuvrel
