# SPDX-FileCopyrightText: 2026 The Nuvrel developers
# SPDX-License-Identifier: GPL-3.0-or-later

# Sourced by scripts/demo, scripts/test and scripts/package: when ccache is installed, a build
# folder configured for the first time compiles through it (one configured before keeps its own
# choice). Without ccache nothing changes.
if command -v ccache >/dev/null 2>&1; then
    export CMAKE_C_COMPILER_LAUNCHER=${CMAKE_C_COMPILER_LAUNCHER:-ccache}
    export CMAKE_CXX_COMPILER_LAUNCHER=${CMAKE_CXX_COMPILER_LAUNCHER:-ccache}
fi
