#!/bin/sh
# Runs a GUI test with Qt's windows on the X server's 32-bit visual, whose fourth byte is alpha.
visual=$(xdpyinfo | awk '/visual id:/ {id = $3} /depth: +32 planes/ {print id; exit}')
[ -n "$visual" ] || { echo "no 32-bit visual on display $DISPLAY" >&2; exit 1; }
exec "$@" -visual "$visual"
