#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The Nuvrel developers
# SPDX-License-Identifier: GPL-3.0-or-later

# One group of checks on the Debian packages that make_debs.sh left in DEB_DIR (extracted in
# DEB_DIR/root); each group is a test of its own, so they run side by side.
#   contents    the five packages, of this version, no file in two of them, -dev on exactly
#               this library
#   lintian     lintian finds no error or warning
#   apt         apt can install each program with the library and without anything of -dev
#   appstream   the AppStream data and the desktop file validate; the screenshots are those of
#               docs/screenshots; the metadata's licences are the copyright file's
#   udev        the udev rule is the source's; the maintainer scripts never fail where udev is
#               missing and reload the rules where it runs
#   dev         a C program builds against the packaged header and pkg-config file
#   programs    the programs run from the extracted root on its library, report the version
#               and the licence; the manual page and the bash completion are there
#   copyright   the copyright file states for every file of the tree the licence its header or
#               .reuse/dep5 gives, and the libraries and programs the licences they are under
# Usage: deb_package_test.sh CHECK SOURCE_DIR DEB_DIR VERSION SONAME
set -euo pipefail
check=$1 source_dir=$2 deb_dir=$3 version=$4 soname=$5
root=$deb_dir/root

failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}
finish() {
    if [ "$failures" -ne 0 ]; then
        echo "$check: $failures check(s) failed" >&2
        exit 1
    fi
    echo "$check: all checks passed"
    exit 0
}

work=$(mktemp -d "${TMPDIR:-/tmp}/nuvrel-package-test.XXXXXX")
trap 'rm -rf "$work"' EXIT

declare -A deb=()
for path in "$deb_dir"/*.deb; do
    [ -f "$path" ] || continue
    deb[$(dpkg-deb -f "$path" Package)]=$path
done
expected=(libvelk-series0 libvelk-series-dev nuvrel nuvrel-cli velk-sim)
for name in "${expected[@]}"; do
    [ -n "${deb[$name]:-}" ] || fail "no $name package in $deb_dir"
done
[ "$failures" -eq 0 ] || finish
library=${deb[libvelk-series0]}
copyright=$root/usr/share/doc/nuvrel/copyright

# license_for PATH: the License of the last Files stanza of the copyright file that matches PATH.
dep5_license() {
    awk -v path="$1" '
        function glob_to_regex(glob,   re) {
            re = glob
            gsub(/[.+^$(){}|\\]/, "\\\\&", re)
            gsub(/\*/, ".*", re)
            gsub(/\?/, ".", re)
            return "^" re "$"
        }
        /^Files:/ { stanza = 1; n = split(substr($0, 7), patterns, " "); matched = 0
                    for (i = 1; i <= n; i++) if (path ~ glob_to_regex(patterns[i])) matched = 1
                    next }
        stanza && /^License:/ { if (matched) license = substr($0, 10); stanza = 0 }
        /^$/ { stanza = 0 }
        END { print license }' "$copyright"
}

case "$check" in
contents)
    [ "${#deb[@]}" -eq "${#expected[@]}" ] || fail "packages ${!deb[*]}, not ${expected[*]}"
    for name in "${!deb[@]}"; do
        [ "$(dpkg-deb -f "${deb[$name]}" Version)" = "$version" ] || fail "$name is not version $version"
    done
    for name in "${!deb[@]}"; do
        dpkg-deb --fsys-tarfile "${deb[$name]}" | tar -t | grep -v '/$' || true
    done | LC_ALL=C sort | uniq -d >"$work/shared-files"
    [ ! -s "$work/shared-files" ] || fail "files in more than one package: $(tr '\n' ' ' <"$work/shared-files")"
    [[ $(dpkg-deb -f "${deb[libvelk-series-dev]}" Depends) == *"libvelk-series0 (= $version)"* ]] ||
        fail "libvelk-series-dev does not depend on exactly libvelk-series0 $version"
    for name in "${!deb[@]}"; do
        listing=$(dpkg-deb --fsys-tarfile "${deb[$name]}" | tar -t)
        grep -qx "./usr/share/doc/$name/copyright" <<<"$listing" || fail "$name has no copyright file"
    done
    ;;
lintian)
    if ! lintian --fail-on error,warning --display-info "${deb[@]}" 2> >(grep -v 'running with root privileges' >&2); then
        fail "lintian reports an error or a warning"
    fi
    ;;
apt)
    # A simulation: resolves against the system, as installing the .deb files would, and
    # changes nothing.
    simulate() { apt-get install --simulate --no-install-recommends "$@" 2>&1; }
    for name in nuvrel nuvrel-cli velk-sim libvelk-series-dev; do
        if ! plan=$(simulate "${deb[$name]}" "$library"); then
            fail "apt cannot install $name with libvelk-series0: $(printf '%s\n' "$plan" | tail -n 3)"
        else
            pulled=$(printf '%s\n' "$plan" | sed -n 's/^Inst \([^ ]*-dev\) .*/\1/p' | grep -vx "$name" || true)
            [ -z "$pulled" ] || fail "installing $name pulls $(printf '%s ' $pulled)"
        fi
    done
    # Unless an installed libvelk-series0 stands in for the built one, the programs need it.
    if ! dpkg-query -W -f='${Status}' libvelk-series0 2>/dev/null | grep -q 'ok installed'; then
        for name in nuvrel-cli nuvrel; do
            if simulate "${deb[$name]}" >/dev/null; then
                fail "$name installs without libvelk-series0"
            fi
        done
    fi
    ;;
appstream)
    appstreamcli validate-tree --no-net --strict "$root" || fail "appstreamcli validate-tree"
    for desktop in "$root"/usr/share/applications/*.desktop; do
        report=$(desktop-file-validate "$desktop" 2>&1) && [ -z "$report" ] ||
            fail "desktop-file-validate: $report"
    done
    metainfo=$(find "$root/usr/share/metainfo" -name '*.metainfo.xml')
    # Software centres fetch the screenshots from where docs/screenshots is published.
    shots=0
    while read -r image; do
        shots=$((shots + 1))
        [[ $image == https://* && -f $source_dir/docs/screenshots/${image##*/} ]] ||
            fail "the screenshot $image is not one of docs/screenshots"
    done < <(sed -n 's|.*<image>\(.*\)</image>.*|\1|p' "$metainfo")
    [ "$shots" -gt 0 ] || fail "the AppStream data shows no screenshot"
    # The file is named after its id, and says under which licences the program and the
    # metadata are: those the copyright file gives the program's sources and the metadata's.
    id=$(sed -n 's|.*<id>\(.*\)</id>.*|\1|p' "$metainfo")
    [ "${metainfo##*/}" = "$id.metainfo.xml" ] || fail "${metainfo##*/} is not named after its id $id"
    project=$(sed -n 's|.*<project_license>\(.*\)</project_license>.*|\1|p' "$metainfo")
    metadata=$(sed -n 's|.*<metadata_license>\(.*\)</metadata_license>.*|\1|p' "$metainfo")
    [ "$project" = "$(dep5_license Nuvrel/app/main.cpp)" ] ||
        fail "project_license '$project' is not the copyright file's licence of the program"
    [ "$metadata" = "$(dep5_license Nuvrel/resources/nuvrel.metainfo.xml.in)" ] ||
        fail "metadata_license '$metadata' is not the copyright file's licence of the metadata"
    grep -q "SPDX-License-Identifier: $metadata -->" "$metainfo" ||
        fail "the metadata's own licence header is not $metadata"
    ;;
udev)
    rule=$(find "$root" -name 70-velk-series.rules)
    if cmp -s "$rule" "$source_dir/velk_series/udev/70-velk-series.rules"; then
        grep -q 'TAG+="uaccess"' "$rule" || fail "the udev rule grants no uaccess"
    else
        fail "the udev rule is missing or differs from the source"
    fi
    dpkg-deb -e "$library" "$work/control"
    # Without udevadm (a container), with one that cannot reach udev and with one whose trigger
    # is refused (a read-only /sys), they succeed quietly.
    mkdir -p "$work/no-udev" "$work/failing-udev" "$work/refused-trigger" "$work/udev"
    printf '#!/bin/sh\nexit 1\n' >"$work/failing-udev/udevadm"
    printf '#!/bin/sh\n[ "$1" = control ]\n' >"$work/refused-trigger/udevadm"
    printf '#!/bin/sh\necho "$*" >>"%s"\n' "$work/udevadm.calls" >"$work/udev/udevadm"
    chmod +x "$work"/*/udevadm
    for path in "$work/no-udev" "$work/failing-udev" "$work/refused-trigger"; do
        PATH=$path /bin/sh "$work/control/postinst" configure || fail "postinst fails with PATH=$path"
        PATH=$path /bin/sh "$work/control/postrm" remove || fail "postrm fails with PATH=$path"
    done
    # Where udev runs, the rules are reloaded and applied to what is plugged in.
    PATH=$work/udev /bin/sh "$work/control/postinst" configure
    grep -qx 'control --reload-rules' "$work/udevadm.calls" || fail "postinst does not reload the rules"
    grep -q '^trigger' "$work/udevadm.calls" || fail "postinst does not trigger udev"
    ;;
dev)
    pc=$(find "$root" -name velk_series.pc)
    export PKG_CONFIG_PATH=${pc%/*}
    [ "$(pkg-config --variable=prefix velk_series)" = /usr ] || fail "velk_series.pc does not name /usr"
    [ "$(pkg-config --modversion velk_series)" = "$version" ] || fail "velk_series.pc is not $version"
    lib=$root$(pkg-config --variable=libdir velk_series)
    readelf -d "$lib/$soname" 2>/dev/null | grep -q "Library soname: \[$soname\]" ||
        fail "no library with SONAME $soname where velk_series.pc says"
    cat >"$work/probe.c" <<'PROBE'
#include <velk_series/velk_series.h>
int main(void) { return IsVelkDeviceProcessed() ? 1 : 0; }
PROBE
    # The sysroot makes pkg-config point into the extracted root instead of /usr.
    if flags=$(PKG_CONFIG_SYSROOT_DIR=$root PKG_CONFIG_ALLOW_SYSTEM_CFLAGS=1 \
        PKG_CONFIG_ALLOW_SYSTEM_LIBS=1 pkg-config --cflags --libs velk_series); then
        # shellcheck disable=SC2086 # the flags are words
        cc -o "$work/probe" "$work/probe.c" $flags || fail "a C program does not build with $flags"
    else
        fail "pkg-config does not find velk_series"
    fi
    ;;
programs)
    library_file=$(readlink -f "$(find "$root" -name "$soname" | head -n 1)")
    for program in Nuvrel nuvrel-cli velk-sim; do
        out=$(env -u LD_LIBRARY_PATH -u DISPLAY -u WAYLAND_DISPLAY "$root/usr/bin/$program" --version 2>&1) ||
            fail "$program --version exits with $?"
        [ "$(printf '%s\n' "$out" | head -n 1)" = "$program $version" ] ||
            fail "$program --version does not begin with '$program $version': $out"
        [[ $out == *"License GPL-3.0-or-later: "* ]] || fail "$program --version names no GPL-3.0-or-later: $out"
        [[ $out == *"Copyright (C) "* ]] || fail "$program --version has no copyright line: $out"
    done
    for program in nuvrel-cli velk-sim; do
        out=$(env -u LD_LIBRARY_PATH LD_DEBUG=libs "$root/usr/bin/$program" --help 2>"$work/$program.ld") ||
            fail "$program --help exits with $?"
        [[ $out == *"Usage: $program"* ]] || fail "$program --help prints no usage"
    done
    # The library the dynamic loader initialised for nuvrel-cli is the packaged one.
    loaded=$(sed -n 's/.*calling init: \(.*libvelk_series\.so.*\)$/\1/p' "$work/nuvrel-cli.ld" | head -n 1)
    if [ -z "$loaded" ] || [ "$(readlink -f "$loaded")" != "$library_file" ]; then
        fail "nuvrel-cli loaded '${loaded:-no velk_series}', not $library_file"
    fi
    resolved=$(env -u LD_LIBRARY_PATH LD_TRACE_LOADED_OBJECTS=1 "$root/usr/bin/Nuvrel" |
        sed -n 's/^[[:space:]]*libvelk_series\.so[^ ]* => \([^ ]*\).*/\1/p')
    [ "$(readlink -f "${resolved:-/nonexistent}")" = "$library_file" ] ||
        fail "Nuvrel resolves velk_series to '${resolved:-nothing}', not $library_file"
    manual=$(zcat "$root/usr/share/man/man1/nuvrel-cli.1.gz" 2>/dev/null || true)
    for section in '.SH COMMANDS' '.SS "nuvrel\-cli rom write' '.SS "nuvrel\-cli sram read' \
        '.SH "EXIT STATUS"' '.SH COPYRIGHT' 'GPL\-3.0\-or\-later'; do
        [[ $manual == *"$section"* ]] || fail "the manual page of nuvrel-cli lacks $section"
    done
    for page in Nuvrel velk-sim; do
        zcat "$root/usr/share/man/man1/$page.1.gz" 2>/dev/null | grep -q 'GPL\\*-3\.0\\*-or\\*-later' ||
            fail "the manual page of $page names no GPL-3.0-or-later"
    done
    completion=$root/usr/share/bash-completion/completions/nuvrel-cli
    bash -c 'source "$1" && complete -p nuvrel-cli' _ "$completion" >/dev/null 2>&1 ||
        fail "the bash completion does not register for nuvrel-cli"
    ;;
copyright)
    for name in "${!deb[@]}"; do
        cmp -s "$copyright" "$root/usr/share/doc/$name/copyright" ||
            fail "the copyright file of $name differs from that of nuvrel"
    done
    # What REUSE reads from the headers and .reuse/dep5, one "path licence" line per file.
    (cd "$source_dir" && reuse spdx) | awk '
        /^FileName: / { file = substr($0, 11); sub(/^\.\//, "", file) }
        /^LicenseInfoInFile: / { print file, substr($0, 20) }' >"$work/licences"
    [ -s "$work/licences" ] || fail "reuse spdx names no file"
    checked=0
    while read -r path license; do
        checked=$((checked + 1))
        stated=$(dep5_license "$path")
        [ "$stated" = "$license" ] || fail "$path is under $license, the copyright file says '$stated'"
    done <"$work/licences"
    # The library and its header are under the LGPL, the programs under the GPL.
    for path in velk_series/include/velk_series/velk_series.h velk_series/CMakeLists.txt; do
        [ "$(dep5_license "$path")" = LGPL-2.1-or-later ] || fail "$path is not under LGPL-2.1-or-later"
    done
    for path in nuvrel-cli/main.cpp Nuvrel/app/main.cpp velk_sim/app/command_line.cpp core/genesis/rom_writer.cpp; do
        [ "$(dep5_license "$path")" = GPL-3.0-or-later ] || fail "$path is not under GPL-3.0-or-later"
    done
    # Every licence a Files stanza names has a paragraph of its own with its text.
    awk '/^$/ { first = 1; next }
         first && /^License: / { print "paragraph", substr($0, 10); first = 0; next }
         /^License: / { print "named", substr($0, 10) }
         { first = 0 }' "$copyright" | sort -u >"$work/paragraphs"
    while read -r license; do
        grep -qx "paragraph $license" "$work/paragraphs" || fail "no licence paragraph for $license"
    done < <(sed -n 's/^named //p' "$work/paragraphs")
    echo "copyright: $checked files checked"
    ;;
*)
    echo "deb_package_test.sh: unknown check $check" >&2
    exit 2
    ;;
esac
finish
