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

for tool in Xvfb dbus-send /usr/libexec/at-spi-bus-launcher /usr/bin/python3; do
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

# A display of its own, numbered away from the ones desktops and other test runs use first
# (their Xvfb may come and go on :0 meanwhile).
display=""
for candidate in $(seq $((200 + $$ % 500)) $((260 + $$ % 500))); do
    [ -e "/tmp/.X$candidate-lock" ] && continue
    Xvfb ":$candidate" -screen 0 1280x1024x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
    xvfb_pid=$!
    for _ in $(seq 1 100); do
        [ -S "/tmp/.X11-unix/X$candidate" ] && break
        kill -0 "$xvfb_pid" 2>/dev/null || break
        sleep 0.1
    done
    if [ -S "/tmp/.X11-unix/X$candidate" ] && kill -0 "$xvfb_pid" 2>/dev/null; then
        pids+=("$xvfb_pid")
        display=$candidate
        break
    fi
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
done
[ -n "$display" ] || { cat "$work/xvfb.log" >&2; echo "window test: Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$display"

/usr/libexec/at-spi-bus-launcher --launch-immediately >"$work/at-spi.log" 2>&1 &
pids+=($!)
# A program started before the launcher owns its name would find no accessibility bus and never
# show its tree.
a11y_bus_up() {
    dbus-send --session --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus \
        org.freedesktop.DBus.NameHasOwner string:org.a11y.Bus 2>/dev/null | grep -q true
}
for _ in $(seq 1 100); do
    a11y_bus_up && break
    sleep 0.1
done
a11y_bus_up || { cat "$work/at-spi.log" >&2; echo "window test: no AT-SPI bus" >&2; exit 1; }

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
