#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The Nuvrel developers
# SPDX-License-Identifier: GPL-3.0-or-later

# scripts/annotate-licences on a small git tree: the library's files get the LGPL, the AppStream
# metadata its own licence, everything else the GPL; a shebang or XML declaration stays first and
# a script stays executable; files with a licence already, files .reuse/dep5 covers and ignored
# files are left alone; a second run changes nothing; --check changes nothing and fails while a
# header is missing; a file of an unknown kind is named and fails the run.
# Usage: annotate_licences_test.sh SCRIPT
set -euo pipefail
script=$1

failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}
work=$(mktemp -d "${TMPDIR:-/tmp}/nuvrel-annotate-test.XXXXXX")
trap 'rm -rf "$work"' EXIT
tree=$work/tree
mkdir -p "$tree"/{velk_series/src,core,tools,docs,build,Nuvrel/resources,.reuse}
git -C "$tree" init -q
printf 'int a;\n' >"$tree/velk_series/src/a.cpp"
printf 'int b;\n' >"$tree/core/b.cpp"
printf '#!/bin/sh\necho hi\n' >"$tree/tools/run"
chmod 755 "$tree/tools/run"
printf '// %s-License-Identifier: MIT\nint c;\n' SPDX >"$tree/core/c.h"
printf '<?xml version="1.0"?>\n<component/>\n' >"$tree/Nuvrel/resources/app.metainfo.xml.in"
printf 'project(x)\n' >"$tree/CMakeLists.txt"
printf 'not a comment\n' >"$tree/docs/notes.md"
printf 'int ignored;\n' >"$tree/build/ignored.cpp"
printf 'build/\n' >"$tree/.gitignore"
printf 'Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/\n\nFiles: docs/*\nCopyright: 2026 X\nLicense: GPL-3.0-or-later\n' \
    >"$tree/.reuse/dep5"
git -C "$tree" add velk_series core tools  # tracked and new files both count

snapshot() { (cd "$tree" && find . -path ./.git -prune -o -type f -print0 | sort -z | xargs -0 sha1sum); }
before=$(snapshot)
"$script" --check "$tree" >/dev/null 2>&1 && fail "--check passes with headers missing"
[ "$(snapshot)" = "$before" ] || fail "--check changed files"

"$script" "$tree" >/dev/null || fail "annotating exits non-zero"
# expect_top FILE LINE...: the first lines of FILE.
expect_top() {
    local file=$1
    shift
    local actual
    actual=$(head -n $# "$tree/$file")
    [ "$actual" = "$(printf '%s\n' "$@")" ] || fail "$file begins with: $actual"
}
spdx=SPDX # in two parts, so that REUSE reads no tags of this file here
holder="$spdx-FileCopyrightText: 2026 The Nuvrel developers"
expect_top velk_series/src/a.cpp "// $holder" "// $spdx-License-Identifier: LGPL-2.1-or-later" "" "int a;"
expect_top core/b.cpp "// $holder" "// $spdx-License-Identifier: GPL-3.0-or-later" "" "int b;"
expect_top tools/run "#!/bin/sh" "# $holder" "# $spdx-License-Identifier: GPL-3.0-or-later" "" "echo hi"
[ -x "$tree/tools/run" ] || fail "tools/run is no longer executable"
expect_top Nuvrel/resources/app.metainfo.xml.in '<?xml version="1.0"?>' "<!-- $holder -->" \
    "<!-- $spdx-License-Identifier: CC0-1.0 -->" "" "<component/>"
expect_top CMakeLists.txt "# $holder" "# $spdx-License-Identifier: GPL-3.0-or-later" "" "project(x)"
expect_top core/c.h "// $spdx-License-Identifier: MIT" "int c;"
expect_top docs/notes.md "not a comment"
expect_top build/ignored.cpp "int ignored;"

after=$(snapshot)
"$script" "$tree" >/dev/null || fail "a second run exits non-zero"
[ "$(snapshot)" = "$after" ] || fail "a second run changed files"
"$script" --check "$tree" >/dev/null || fail "--check fails on an annotated tree"

printf 'data\n' >"$tree/core/blob.xyz"
if out=$("$script" "$tree" 2>&1); then
    fail "a file of an unknown kind passes"
fi
[[ $out == *"core/blob.xyz"* ]] || fail "the unknown file is not named: $out"

if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed" >&2
    exit 1
fi
echo "annotate-licences: all checks passed"
