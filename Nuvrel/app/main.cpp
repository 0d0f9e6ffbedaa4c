// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include <cstdio>
#include <cstring>

#include "app/nuvrel_app.h"
#include "nuvrel_version.h"
#include "shell/resources.h"

int main(int argc, char** argv) {
    // Answered before Qt starts, so that it works without a display (a terminal over ssh, the
    // package checks); the window itself takes no command line.
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("Nuvrel %s\n%s\n", NUVREL_VERSION, NUVREL_VERSION_NOTICE);
            return 0;
        }
    }
    nuvrel::initResources();
    nuvrel::CNuvrelApp app(argc, argv);
    return app.run();
}
