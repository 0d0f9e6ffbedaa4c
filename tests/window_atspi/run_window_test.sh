#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The Nuvrel developers
# SPDX-License-Identifier: GPL-3.0-or-later
#
# Drives the real Nuvrel window through the accessibility bus, as a screen reader or a voice
# control would: a private X server (Xvfb), a private D-Bus session with the AT-SPI bus, two
# velk-sim devices, and window_test.py against them. Everything started here is stopped on every
# path. Usage: run_window_test.sh BUILD_DIR
set -euo pipefail
build=$(cd "${1:?usage: run_window_test.sh BUILD_DIR}" && pwd)
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

if [ -z "${NUVREL_ATSPI_SESSION:-}" ]; then
    # Once more inside a session bus of its own, which ends with the test.
    exec env NUVREL_ATSPI_SESSION=1 dbus-run-session -- "$0" "$@"
fi

for tool in Xvfb /usr/libexec/at-spi-bus-launcher /usr/bin/python3; do
    command -v "$tool" >/dev/null || { echo "window test: $tool is missing" >&2; exit 1; }
done
/usr/bin/python3 -c 'import pyatspi' || { echo "window test: python3-pyatspi is missing" >&2; exit 1; }

work=$(mktemp -d "${TMPDIR:-/tmp}/nuvrel-window-test.XXXXXX")
pids=()
cleanup() {
    for pid in "${pids[@]}"; do
        kill "$pid" 2>/dev/null || true
    done
    for pid in "${pids[@]}"; do
        wait "$pid" 2>/dev/null || true
    done
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

export XDG_RUNTIME_DIR="$work/runtime" XDG_CONFIG_HOME="$work/config"
mkdir -m 700 "$XDG_RUNTIME_DIR" "$XDG_CONFIG_HOME"

# The display number Xvfb picked comes back on the pipe once it accepts clients.
exec {display_fd}<> <(:)
Xvfb -displayfd "$display_fd" -screen 0 1280x1024x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
pids+=($!)
read -r -t 20 -u "$display_fd" display || { cat "$work/xvfb.log" >&2; echo "window test: Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$display"
[ -S "/tmp/.X11-unix/X$display" ] && kill -0 "${pids[0]}" 2>/dev/null ||
    { cat "$work/xvfb.log" >&2; echo "window test: Xvfb on $DISPLAY is not there" >&2; exit 1; }

/usr/libexec/at-spi-bus-launcher --launch-immediately >"$work/at-spi.log" 2>&1 &
pids+=($!)

for name in left right; do
    mkdir "$work/$name"
    "$build/velk_sim/velk-sim" --name "$name" --state "$work/$name" >"$work/sim-$name.log" 2>&1 &
    pids+=($!)
done
for _ in $(seq 1 100); do
    [ -S "$XDG_RUNTIME_DIR/velk-series/left.sock" ] && [ -S "$XDG_RUNTIME_DIR/velk-series/right.sock" ] && break
    sleep 0.1
done

status=0
NUVREL_BUILD="$build" NUVREL_WORK="$work" timeout 600 /usr/bin/python3 "$here/window_test.py" || status=$?
if [ "$status" -ne 0 ]; then
    for log in "$work"/*.log; do
        echo "--- $log" >&2
        tail -n 20 "$log" >&2
    done
fi
exit "$status"
