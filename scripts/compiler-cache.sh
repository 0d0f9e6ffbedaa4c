# SPDX-FileCopyrightText: 2026 The Nuvrel developers
# SPDX-License-Identifier: GPL-3.0-or-later

# Sourced by scripts/demo, scripts/test and scripts/package: when ccache is installed, a build
# folder configured for the first time compiles through it (one configured before keeps its own
# choice). Without ccache nothing changes.
if command -v ccache >/dev/null 2>&1; then
    export CMAKE_C_COMPILER_LAUNCHER=${CMAKE_C_COMPILER_LAUNCHER:-ccache}
    export CMAKE_CXX_COMPILER_LAUNCHER=${CMAKE_CXX_COMPILER_LAUNCHER:-ccache}
    # Paths inside the tree are hashed relative to it, so a clone in another folder (as CI
    # makes) finds what an earlier build compiled.
    export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}
fi
