// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Dialog units: a horizontal unit is a quarter of the font's average character width, a vertical
// unit an eighth of its height, so layouts keep their proportions with any font.
#pragma once

#include <QSize>

class QFont;

namespace nuvrel {

QSize dialogUnitsToPixels(const QFont& font, int horizontalUnits, int verticalUnits);

// The size every page of the main sheet shares.
inline constexpr int kPageWidthUnits = 303;
inline constexpr int kPageHeightUnits = 163;

}  // namespace nuvrel
