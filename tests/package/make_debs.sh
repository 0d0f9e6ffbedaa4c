#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The Nuvrel developers
# SPDX-License-Identifier: GPL-3.0-or-later

# Makes the Debian packages once for all the package checks: from the build being tested when
# it is the release configuration (installed under /usr, the default preset), so nothing is
# compiled again; otherwise (a sanitizer build) through scripts/package, as users do. Leaves the
# .deb files in OUT_DIR and their contents extracted in OUT_DIR/root.
# Usage: make_debs.sh SOURCE_DIR BUILD_DIR OUT_DIR this-build|package-preset
set -euo pipefail
source_dir=$1 build_dir=$2 out=$3 mode=$4

rm -rf "$out"
mkdir -p "$out/root"
case "$mode" in
this-build)
    if ! log=$(cpack --config "$build_dir/CPackConfig.cmake" -B "$out/cpack" 2>&1); then
        printf '%s\n' "$log" >&2
        exit 1
    fi
    ;;
package-preset)
    if ! log=$("$source_dir/scripts/package" 2>&1); then
        printf '%s\n' "$log" | tail -n 40 >&2
        exit 1
    fi
    ;;
*)
    echo "make_debs.sh: unknown mode $mode" >&2
    exit 2
    ;;
esac
printf '%s\n' "$log" | grep -E '^CPack: - package: .*\.deb generated\.$' || true
mapfile -t debs < <(printf '%s\n' "$log" | sed -n 's/^CPack: - package: \(.*\.deb\) generated\.$/\1/p')
if [ ${#debs[@]} -eq 0 ]; then
    printf '%s\n' "$log" >&2
    echo "make_debs.sh: cpack reported no .deb" >&2
    exit 1
fi
for deb in "${debs[@]}"; do
    cp "$deb" "$out/"
    dpkg-deb -x "$deb" "$out/root"
done
