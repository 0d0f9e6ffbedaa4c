// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The small picture at the left of a group box, drawn from the program's own SVG icons.
#pragma once

#include <QString>

class QLabel;
class QWidget;

namespace nuvrel {

// name is an icon of the resources, e.g. "chip" for ":/icons/chip.svg".
QLabel* makeGroupIcon(const QString& name, QWidget* parent = nullptr);

}  // namespace nuvrel
