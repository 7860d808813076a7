#!/usr/bin/env bash
# Runs the fuzz smoke run (unless VELMORA_SKIP_FUZZ=1), then the whole test suite of a build tree
# under its own Xvfb display, then (as root, unless VELMORA_SKIP_PACKAGE=1) the package test.
set -uo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}

display=:97
while [ -e "/tmp/.X11-unix/X${display#:}" ] || [ -e "/tmp/.X${display#:}-lock" ]; do
    display=":$(( ${display#:} + 1 ))"
done
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null' EXIT
for _ in $(seq 50); do
    DISPLAY=$display xdpyinfo >/dev/null 2>&1 && break
    sleep 0.1
done
export DISPLAY=$display
export QT_QPA_PLATFORM=xcb

status=0
if [ "${VELMORA_SKIP_FUZZ:-0}" != 1 ]; then
    scripts/run-fuzz.sh "$build-fuzz" || status=1
fi
(cd "$build" && ctest --output-on-failure --timeout 300 -j1) || status=1
# The Debian package installed, started and removed again: only as root (CI), and not when
# VELMORA_SKIP_PACKAGE=1.
if [ "$(id -u)" -eq 0 ] && [ "${VELMORA_SKIP_PACKAGE:-0}" != 1 ]; then
    scripts/test-package.sh "$build" || status=1
fi
exit $status
