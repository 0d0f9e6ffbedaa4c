#!/usr/bin/env bash
# Builds the Debian package from the build tree (cpack into a temporary folder), extracts it into a
# temporary root and checks what it holds: every installed file where it belongs, the control
# fields, maintainer scripts that never fail where udev is missing, a library that a C program
# can build against with the packaged header and pkg-config file, and programs that run from the
# extracted root on the extracted library rather than the build tree's.
# Usage: deb_package_test.sh CPACK CPACK_CONFIG VERSION SONAME BINDIR LIBDIR INCLUDEDIR DATADIR
#                            MANDIR UDEVRULESDIR WITH_GUI RULE_SOURCE
set -euo pipefail
cpack=$1 cpack_config=$2 version=$3 soname=$4 bindir=$5 libdir=$6 includedir=$7 datadir=$8
mandir=$9 udevdir=${10} with_gui=${11} rule_source=${12}

failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}
# The packaged prefix is /usr; relative install folders lie under it, absolute ones stand alone.
under_usr() { case $1 in /*) echo "${1#/}" ;; *) echo "usr/$1" ;; esac; }

work=$(mktemp -d "${TMPDIR:-/tmp}/nuvrel-package-test.XXXXXX")
trap 'rm -rf "$work"' EXIT
root=$work/root

log=$("$cpack" --config "$cpack_config" -B "$work/out" 2>&1) || {
    printf '%s\n' "$log" >&2
    echo "FAIL: cpack" >&2
    exit 1
}
deb=$(printf '%s\n' "$log" | sed -n 's/^CPack: - package: \(.*\.deb\) generated\.$/\1/p')
if [ ! -f "$deb" ]; then
    printf '%s\n' "$log" >&2
    echo "FAIL: cpack named no .deb" >&2
    exit 1
fi
dpkg-deb -x "$deb" "$root"
dpkg-deb -e "$deb" "$work/control"

echo "== control fields of $(basename "$deb")"
field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = nuvrel ] || fail "Package is '$(field Package)'"
[ "$(field Version)" = "$version" ] || fail "Version is '$(field Version)', not $version"
[ -n "$(field Maintainer)" ] || fail "no Maintainer"
[ -n "$(field Section)" ] || fail "no Section"
[ -n "$(field Description)" ] || fail "no Description"
depends=$(field Depends)
for library in libc6 libstdc++6 libusb-1.0-0; do
    [[ ", $depends" == *", $library "* ]] || fail "Depends lacks $library: $depends"
done
if [ "$with_gui" = ON ]; then
    [[ ", $depends" == *", libqt6widgets6 "* ]] || fail "Depends lacks libqt6widgets6: $depends"
fi

echo "== layout"
bin=$root/$(under_usr "$bindir")
lib=$root/$(under_usr "$libdir")
expect_file() { [ -f "$1" ] || fail "missing ${1#"$root"}"; }
programs=(nuvrel-cli velk-sim)
[ "$with_gui" = ON ] && programs+=(Nuvrel)
for program in "${programs[@]}"; do
    [ -x "$bin/$program" ] || fail "missing program ${bin#"$root"}/$program"
done
expect_file "$lib/$soname"
[ "$(readlink -f "$lib/libvelk_series.so")" = "$(readlink -f "$lib/$soname")" ] ||
    fail "libvelk_series.so does not lead to $soname"
readelf -d "$lib/$soname" | grep -q "Library soname: \[$soname\]" || fail "SONAME is not $soname"
expect_file "$root/$(under_usr "$includedir")/velk_series/velk_series.h"
pc=$lib/pkgconfig/velk_series.pc
expect_file "$pc"
rule=$root/$(under_usr "$udevdir")/70-velk-series.rules
if cmp -s "$rule" "$rule_source"; then
    grep -q 'TAG+="uaccess"' "$rule" || fail "the udev rule grants no uaccess"
else
    fail "the udev rule is missing or differs from $rule_source"
fi
share=$root/$(under_usr "$datadir")
if [ "$with_gui" = ON ]; then
    grep -qx 'Exec=Nuvrel' "$share/applications/nuvrel.desktop" || fail "no desktop file for Nuvrel"
    expect_file "$share/icons/hicolor/scalable/apps/nuvrel.svg"
fi
man=$root/$(under_usr "$mandir")/man1
for program in nuvrel-cli velk-sim; do
    gzip -t "$man/$program.1.gz" 2>/dev/null || fail "no manual page $program.1.gz"
done
manual=$(zcat "$man/nuvrel-cli.1.gz" 2>/dev/null || true)
for section in '.SH COMMANDS' '.SS "nuvrel\-cli rom write' '.SS "nuvrel\-cli sram read' '.SH "EXIT STATUS"'; do
    [[ $manual == *"$section"* ]] || fail "the manual page of nuvrel-cli lacks $section"
done
completion=$share/bash-completion/completions/nuvrel-cli
bash -c 'source "$1" && complete -p nuvrel-cli' _ "$completion" >/dev/null 2>&1 ||
    fail "the bash completion does not register for nuvrel-cli"

echo "== maintainer scripts"
for script in postinst postrm; do
    [ -x "$work/control/$script" ] || fail "no $script"
done
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

echo "== building against the packaged library"
cat >"$work/probe.c" <<'EOF'
#include <velk_series/velk_series.h>
int main(void) { return IsVelkDeviceProcessed() ? 1 : 0; }
EOF
[ "$(PKG_CONFIG_PATH=$lib/pkgconfig pkg-config --variable=prefix velk_series)" = /usr ] ||
    fail "velk_series.pc does not name /usr as its prefix"
[ "$(PKG_CONFIG_PATH=$lib/pkgconfig pkg-config --modversion velk_series)" = "$version" ] ||
    fail "velk_series.pc does not give version $version"
# The sysroot makes pkg-config point into the extracted root instead of /usr.
if flags=$(PKG_CONFIG_PATH=$lib/pkgconfig PKG_CONFIG_SYSROOT_DIR=$root \
    PKG_CONFIG_ALLOW_SYSTEM_CFLAGS=1 PKG_CONFIG_ALLOW_SYSTEM_LIBS=1 \
    pkg-config --cflags --libs velk_series); then
    # shellcheck disable=SC2086 # the flags are words
    cc -o "$work/probe" "$work/probe.c" $flags || fail "a C program does not build with $flags"
else
    fail "pkg-config does not find velk_series"
fi

echo "== the installed programs run from the extracted root"
library=$(readlink -f "$lib/$soname")
for program in nuvrel-cli velk-sim; do
    out=$(env -u LD_LIBRARY_PATH LD_DEBUG=libs "$bin/$program" --help 2>"$work/$program.ld") ||
        fail "$program --help exits with $?"
    [[ $out == *"Usage: $program"* ]] || fail "$program --help prints no usage"
done
# The library the dynamic loader initialised for nuvrel-cli is the packaged one.
loaded=$(sed -n 's/.*calling init: \(.*libvelk_series\.so.*\)$/\1/p' "$work/nuvrel-cli.ld" | head -n 1)
if [ -z "$loaded" ] || [ "$(readlink -f "$loaded")" != "$library" ]; then
    fail "nuvrel-cli loaded '${loaded:-no velk_series}', not $library"
fi
if [ "$with_gui" = ON ]; then
    resolved=$(env -u LD_LIBRARY_PATH LD_TRACE_LOADED_OBJECTS=1 "$bin/Nuvrel" |
        sed -n 's/^[[:space:]]*libvelk_series\.so[^ ]* => \([^ ]*\).*/\1/p')
    [ "$(readlink -f "${resolved:-/nonexistent}")" = "$library" ] ||
        fail "Nuvrel resolves velk_series to '${resolved:-nothing}', not $library"
fi

if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed" >&2
    exit 1
fi
echo "package $(basename "$deb"): all checks passed"
