// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "shell/resources.h"

#include <QtGlobal>

// Q_INIT_RESOURCE must be used outside any namespace.
static void registerNuvrelResources() {
    Q_INIT_RESOURCE(nuvrel);
}

namespace nuvrel {

void initResources() {
    registerNuvrelResources();
}

}  // namespace nuvrel
