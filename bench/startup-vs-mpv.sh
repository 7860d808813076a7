#!/usr/bin/env bash
# Launch to first picture on screen of the whole program (the real velmora binary, a fresh
# settings folder with the first-run question settled) against the mpv command line
# (--vo=x11), both with silent audio, on one Xvfb screen with no window manager. Both are measured
# the same way by bench/first_picture: from just before the fork to the first 2 ms poll of the
# screen that shows the clip's solid magenta. Runs alternate (Velmora, mpv, Velmora, ...), after one
# discarded warm-up run of each (disk and font caches); prints the median of each and the ratio.
#
# Usage: bench/startup-vs-mpv.sh [build-dir] [runs]   (defaults: build, 7)
# Environment: BENCH_DISPLAY=:N to use that display number (default: a random one from :60);
# VELMORA_BIN=path to measure another build of the program.
# Target: ratio (Velmora / mpv) <= 0.9.
#
# Measured on Xvfb with two cores shared with other work (so +-5 % between runs), 9-15 runs each:
#   libmpv linked at build time, core made on the GUI thread: 1.02-1.06 (1.19 under heavy load);
#   libmpv loaded and the core started on a worker thread, first medium opened before the window
#   is shown, fonts measured meanwhile: 1.01-1.07;
#   the worker also begins loading the command line's file, paused, and the window claims that
#   load: 0.95; libmpv's libraries binding among their own dependencies first (RTLD_DEEPBIND):
#   0.90-0.93; those libraries loaded one by one, dependencies first: 0.76 (119.5 against
#   157.0 ms, faster in 15 of 15 pairs; the build before these steps: 1.01 measured alike).
#   Loading libmpv in one go spends most of its time searching symbols through all of its 226
#   libraries for every relocation; one by one, each searches its own few (57-66 -> 43-46 ms),
#   and the loader's lock, which a thread's start waits for, is free in between for the GUI.
# Software path CPU while playing (bench/compare-mpv.sh, play_clip / mpv --vo=x11, 5 runs):
#   0.98-1.00 before, 0.91-0.92 after the padding-byte pass was dropped on 24-bit X11 windows.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
runs=${2:-7}
velmora=${VELMORA_BIN:-$build/velmora}
probe="$build/bench/first_picture"
[ -x "$velmora" ] && [ -x "$probe" ] ||
    { echo "build the velmora and first_picture targets first"; exit 1; }
command -v mpv >/dev/null && command -v Xvfb >/dev/null && command -v ffmpeg >/dev/null ||
    { echo "needs mpv, Xvfb and ffmpeg"; exit 1; }

work=$(mktemp -d /tmp/velmora-startup.XXXXXX)
display=${BENCH_DISPLAY:-":$(( 60 + RANDOM % 20 ))"}
xvfb_pid=""
cleanup() { [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null; rm -rf "$work"; }
trap cleanup EXIT

# A 720p clip of one saturated colour, with sound, as a film would have.
clip="$work/magenta-1280x720.mp4"
ffmpeg -hide_banner -loglevel error -y -f lavfi -i color=c=0xff00ff:size=1280x720:rate=30:duration=10 \
    -f lavfi -i sine=frequency=440:duration=10 -c:v libx264 -preset veryfast -pix_fmt yuv420p \
    -c:a aac -shortest "$clip"

Xvfb "$display" -screen 0 1600x1000x24 -br -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 50); do xdpyinfo -display "$display" >/dev/null 2>&1 && break; sleep 0.1; done
export DISPLAY=$display QT_QPA_PLATFORM=xcb
unset WAYLAND_DISPLAY

# Each run starts from nothing: its own settings, data and runtime folders. Velmora's window opens
# at its saved position (0, 0, the default), mpv's is placed there too.
fresh_home() {
    local home="$work/home.$1"
    rm -rf "$home"
    mkdir -p "$home/config/Velmora" "$home/data" "$home/runtime"
    chmod 700 "$home/runtime"
    printf '[설정]\nREG=0\nleft=0\ntop=0\n' >"$home/config/Velmora/Velmora.ini"
    echo "$home"
}
run_velmora() {
    local home; home=$(fresh_home "$1")
    HOME="$home" XDG_CONFIG_HOME="$home/config" XDG_DATA_HOME="$home/data" \
        XDG_RUNTIME_DIR="$home/runtime" VELMORA_AO=null \
        "$probe" -- "$velmora" "$clip" | awk '/^first_picture_ms/ {print $2}'
}
run_mpv() {
    local home; home=$(fresh_home "$1")
    HOME="$home" XDG_CONFIG_HOME="$home/config" XDG_DATA_HOME="$home/data" \
        XDG_RUNTIME_DIR="$home/runtime" \
        "$probe" -- mpv --vo=x11 --ao=null --geometry=+0+0 --really-quiet "$clip" |
        awk '/^first_picture_ms/ {print $2}'
}

median() { sort -g | awk '{a[NR]=$1} END {print (NR % 2) ? a[(NR+1)/2] : (a[NR/2] + a[NR/2+1]) / 2}'; }

echo "clip: 1280x720 solid magenta, 30 fps, with sound; display $display; $runs runs each"
run_velmora warm >/dev/null
run_mpv warm >/dev/null
: >"$work/v.ms"
: >"$work/m.ms"
for i in $(seq "$runs"); do
    run_velmora "$i" >>"$work/v.ms"
    run_mpv "$i" >>"$work/m.ms"
done
[ "$(wc -l <"$work/v.ms")" -eq "$runs" ] && [ "$(wc -l <"$work/m.ms")" -eq "$runs" ] ||
    { echo "a run did not show its picture"; paste "$work/v.ms" "$work/m.ms"; exit 1; }

v=$(median <"$work/v.ms")
m=$(median <"$work/m.ms")
printf '%-34s %10s %10s %8s\n' "" "Velmora" "mpv" "ratio"
printf '%-34s %10.1f %10.1f %8.2f\n' "launch to first picture ms (median)" "$v" "$m" \
    "$(awk -v a="$v" -v b="$m" 'BEGIN {print (b > 0) ? a / b : 0}')"
echo "per run ms (Velmora mpv):"
paste "$work/v.ms" "$work/m.ms"
