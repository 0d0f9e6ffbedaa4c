#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The Nuvrel developers
# SPDX-License-Identifier: GPL-3.0-or-later

# Builds the Debian packages as users do (scripts/package: the package preset, under /usr, in the
# multiarch library folder) and checks the packages themselves: lintian finds no error or warning,
# the AppStream data and the desktop file validate, apt can install each program with the library
# and without anything of -dev, no file is in two packages, the maintainer scripts never fail
# where udev is missing, a C program builds against the packaged header and pkg-config file, and
# the programs run from a throw-away root on its library and report the project version.
# Usage: deb_package_test.sh SOURCE_DIR VERSION SONAME
set -euo pipefail
source_dir=$1 version=$2 soname=$3

failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

work=$(mktemp -d "${TMPDIR:-/tmp}/nuvrel-package-test.XXXXXX")
trap 'rm -rf "$work"' EXIT
root=$work/root

echo "== scripts/package"
if ! "$source_dir/scripts/package" >"$work/package.log" 2>&1; then
    tail -n 40 "$work/package.log" >&2
    echo "FAIL: scripts/package" >&2
    exit 1
fi
declare -A deb=()
while read -r path; do
    [[ $path == /*.deb && -f $path ]] || continue
    deb[$(dpkg-deb -f "$path" Package)]=$path
done <"$work/package.log"
# The package preset always builds the desktop program, whatever the calling build leaves out.
expected=(libvelk-series0 libvelk-series-dev nuvrel nuvrel-cli velk-sim)
for name in "${expected[@]}"; do
    [ -n "${deb[$name]:-}" ] || fail "scripts/package printed no $name package"
done
[ "${#deb[@]}" -eq "${#expected[@]}" ] || fail "packages ${!deb[*]}, not ${expected[*]}"
[ "$failures" -eq 0 ] || exit 1
for name in "${!deb[@]}"; do
    [ "$(dpkg-deb -f "${deb[$name]}" Version)" = "$version" ] || fail "$name is not version $version"
done

echo "== lintian"
if ! lintian --fail-on error,warning --display-info "${deb[@]}" 2> >(grep -v 'running with root privileges' >&2); then
    fail "lintian reports an error or a warning"
fi

echo "== no file in two packages"
for name in "${!deb[@]}"; do
    dpkg-deb --fsys-tarfile "${deb[$name]}" | tar -t | grep -v '/$' || true
done | LC_ALL=C sort | uniq -d >"$work/shared-files"
[ ! -s "$work/shared-files" ] || fail "files in more than one package: $(tr '\n' ' ' <"$work/shared-files")"

echo "== what apt installs with each package"
# A simulation: resolves against the system, as installing the .deb files would, and changes
# nothing.
simulate() { apt-get install --simulate --no-install-recommends "$@" 2>&1; }
library=${deb[libvelk-series0]}
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
[[ $(dpkg-deb -f "${deb[libvelk-series-dev]}" Depends) == *"libvelk-series0 (= $version)"* ]] ||
    fail "libvelk-series-dev does not depend on exactly libvelk-series0 $version"

for name in "${!deb[@]}"; do
    dpkg-deb -x "${deb[$name]}" "$root"
done

echo "== AppStream data and desktop file"
appstreamcli validate-tree --no-net --strict "$root" || fail "appstreamcli validate-tree"
for desktop in "$root"/usr/share/applications/*.desktop; do
    report=$(desktop-file-validate "$desktop" 2>&1) && [ -z "$report" ] ||
        fail "desktop-file-validate: $report"
done
# Software centres fetch the screenshots from where docs/screenshots is published.
shots=0
while read -r image; do
    shots=$((shots + 1))
    [[ $image == https://* && -f $source_dir/docs/screenshots/${image##*/} ]] ||
        fail "the screenshot $image is not one of docs/screenshots"
done < <(sed -n 's|.*<image>\(.*\)</image>.*|\1|p' "$root"/usr/share/metainfo/*.metainfo.xml)
[ "$shots" -gt 0 ] || fail "the AppStream data shows no screenshot"

echo "== the udev rule and the maintainer scripts of libvelk-series0"
rule=$(find "$root" -name 70-velk-series.rules)
if cmp -s "$rule" "$source_dir/velk_series/udev/70-velk-series.rules"; then
    grep -q 'TAG+="uaccess"' "$rule" || fail "the udev rule grants no uaccess"
else
    fail "the udev rule is missing or differs from the source"
fi
dpkg-deb -e "$library" "$work/control"
# Without udevadm (a container), with one that cannot reach udev and with one whose trigger is
# refused (a read-only /sys), they succeed quietly.
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

echo "== building against libvelk-series-dev"
pc=$(find "$root" -name velk_series.pc)
export PKG_CONFIG_PATH=${pc%/*}
[ "$(pkg-config --variable=prefix velk_series)" = /usr ] || fail "velk_series.pc does not name /usr"
[ "$(pkg-config --modversion velk_series)" = "$version" ] || fail "velk_series.pc is not $version"
lib=$root$(pkg-config --variable=libdir velk_series)
readelf -d "$lib/$soname" 2>/dev/null | grep -q "Library soname: \[$soname\]" ||
    fail "no library with SONAME $soname where velk_series.pc says"
cat >"$work/probe.c" <<'EOF'
#include <velk_series/velk_series.h>
int main(void) { return IsVelkDeviceProcessed() ? 1 : 0; }
EOF
# The sysroot makes pkg-config point into the extracted root instead of /usr.
if flags=$(PKG_CONFIG_SYSROOT_DIR=$root PKG_CONFIG_ALLOW_SYSTEM_CFLAGS=1 \
    PKG_CONFIG_ALLOW_SYSTEM_LIBS=1 pkg-config --cflags --libs velk_series); then
    # shellcheck disable=SC2086 # the flags are words
    cc -o "$work/probe" "$work/probe.c" $flags || fail "a C program does not build with $flags"
else
    fail "pkg-config does not find velk_series"
fi

echo "== the installed programs"
library_file=$(readlink -f "$lib/$soname")
for program in Nuvrel nuvrel-cli velk-sim; do
    out=$(env -u LD_LIBRARY_PATH -u DISPLAY -u WAYLAND_DISPLAY "$root/usr/bin/$program" --version 2>&1) ||
        fail "$program --version exits with $?"
    [ "$out" = "$program $version" ] || fail "$program --version prints '$out'"
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
for section in '.SH COMMANDS' '.SS "nuvrel\-cli rom write' '.SS "nuvrel\-cli sram read' '.SH "EXIT STATUS"'; do
    [[ $manual == *"$section"* ]] || fail "the manual page of nuvrel-cli lacks $section"
done
completion=$root/usr/share/bash-completion/completions/nuvrel-cli
bash -c 'source "$1" && complete -p nuvrel-cli' _ "$completion" >/dev/null 2>&1 ||
    fail "the bash completion does not register for nuvrel-cli"

if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed" >&2
    exit 1
fi
echo "packages ${!deb[*]}: all checks passed"
