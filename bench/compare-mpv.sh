#!/usr/bin/env bash
# Plays the same 10-second 1280x720 clip in Velmora's media surface (bench/play_clip) and in the
# mpv command line (--vo=x11 --ao=null), side by side on one Xvfb screen, and prints:
#   - CPU time (user + system) of each player for the whole clip and their ratio (Velmora / mpv);
#   - time to first frame of each and their ratio: for play_clip from the start of main() to the
#     first frame rendered, for mpv from its start to "first video frame after restart shown" in
#     its log. Velmora loads libmpv at run time, after main(), so its figure includes loading the
#     library and mpv's does not: the fair comparison of start-up is the whole program's launch to
#     first picture on screen, measured alike from outside (bench/startup-vs-mpv.sh, run last);
#   - frames dropped by each.
#   - the OpenGL path: Velmora's OpenGL surface forced (play_clip --video gl) against
#     mpv --vo=gpu, both with hwdec=auto-safe, CPU time and ratio (see compare_gl below; skipped
#     with VELMORA_BENCH_GL=0).
# Usage: bench/compare-mpv.sh [build-dir] [runs]   (defaults: build, 3)
# Targets: CPU ratio <= 1.10, first-frame ratio <= 1.0.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
runs=${2:-3}
play_clip="$build/bench/play_clip"
[ -x "$play_clip" ] || { echo "build the play_clip target first ($play_clip missing)"; exit 1; }
command -v mpv >/dev/null && command -v Xvfb >/dev/null && command -v ffmpeg >/dev/null ||
    { echo "needs mpv, Xvfb and ffmpeg"; exit 1; }

work=$(mktemp -d /tmp/velmora-bench.XXXXXX)
display=":$(( 40 + RANDOM % 20 ))"
xvfb_pid=""
cleanup() { [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null; rm -rf "$work"; }
trap cleanup EXIT

clip="$work/clip-1280x720-10s.mp4"
ffmpeg -hide_banner -loglevel error -y -f lavfi -i testsrc=size=1280x720:rate=30:duration=10 \
    -f lavfi -i sine=frequency=440:duration=10 -c:v libx264 -preset veryfast -pix_fmt yuv420p \
    -c:a aac -shortest "$clip"

Xvfb "$display" -screen 0 2600x800x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 50); do xdpyinfo -display "$display" >/dev/null 2>&1 && break; sleep 0.1; done
export DISPLAY=$display VELMORA_AO=null XDG_RUNTIME_DIR=$work QT_QPA_PLATFORM=xcb
mpv_args=(--vo=x11 --ao=null --msg-level=all=error,statusline=status --geometry=1280x720+1300+0)

# CPU seconds (user + system) of a command, written to $1; its output to $2.
cpu_of() {
    local out=$1 log=$2; shift 2
    { TIMEFORMAT="%U %S"; time "$@" >"$log" 2>&1; } 2>"${out%/*}/time-${out##*/}"
    awk '{printf "%.3f\n", $1 + $2}' "${out%/*}/time-${out##*/}" >"$out"
}

median() { sort -g | awk '{a[NR]=$1} END {print (NR % 2) ? a[(NR+1)/2] : (a[NR/2] + a[NR/2+1]) / 2}'; }

echo "clip: 1280x720, 30 fps, 10 s; display $display; $runs runs"
for i in $(seq "$runs"); do
    # Side by side, at the same time: Velmora at the left, mpv at the right.
    cpu_of "$work/cpu-v.$i" "$work/v.log.$i" "$play_clip" --window 1280x720+0+0 "$clip" &
    vpid=$!
    cpu_of "$work/cpu-m.$i" "$work/m.log.$i" mpv "${mpv_args[@]}" \
        --term-status-msg='DROP ${frame-drop-count} ${vo-drop-frame-count}' "$clip" &
    mpid=$!
    wait "$vpid" "$mpid"
    # Time to first frame, one player at a time so they do not slow each other down.
    "$play_clip" --first-frame "$clip" >"$work/vf.log.$i" 2>&1
    mpv "${mpv_args[@]}" --frames=1 --log-file="$work/mf.mpvlog.$i" "$clip" >/dev/null 2>&1
done

v_cpu=$(cat "$work"/cpu-v.* | median)
m_cpu=$(cat "$work"/cpu-m.* | median)
v_ttff=$(grep -h '^first_frame_ms' "$work"/vf.log.* | awk '{print $2}' | median)
m_ttff=$(grep -h 'first video frame after restart shown' "$work"/mf.mpvlog.* |
         sed 's/^\[ *\([0-9.]*\)\].*/\1/' | awk '{print $1 * 1000}' | median)
v_drop=$(grep -h '^dropped' "$work"/v.log.* | awk '{print $2}' | median)
v_frames=$(grep -h '^frames' "$work"/v.log.* | awk '{print $2}' | median)
# mpv: decoder drops + display drops from its last status line.
m_drop=$(for f in "$work"/m.log.*; do
             tr '\r' '\n' <"$f" | grep -a -o 'DROP [0-9]* [0-9]*' | tail -1 | awk '{print $2 + $3}'
         done | median)

printf '%-28s %10s %10s %8s\n' "" "Velmora" "mpv" "ratio"
printf '%-28s %10.3f %10.3f %8.2f\n' "CPU seconds (median)" "$v_cpu" "$m_cpu" \
    "$(awk -v a="$v_cpu" -v b="$m_cpu" 'BEGIN {print (b > 0) ? a / b : 0}')"
printf '%-28s %10.0f %10.0f %8.2f\n' "first frame ms (median)" "$v_ttff" "$m_ttff" \
    "$(awk -v a="$v_ttff" -v b="$m_ttff" 'BEGIN {print (b > 0) ? a / b : 0}')"
printf '%-28s %10s %10s\n' "dropped frames (median)" "$v_drop" "$m_drop"
printf '%-28s %10s\n' "frames rendered (median)" "$v_frames"
echo "per run CPU (Velmora mpv):"; paste <(cat "$work"/cpu-v.*) <(cat "$work"/cpu-m.*)
echo "per run first frame ms (Velmora mpv):"
paste <(grep -h '^first_frame_ms' "$work"/vf.log.* | awk '{print $2}') \
      <(grep -h 'first video frame after restart shown' "$work"/mf.mpvlog.* |
        sed 's/^\[ *\([0-9.]*\)\].*/\1/' | awk '{print $1 * 1000}')

# --- OpenGL path: Velmora's OpenGL surface against mpv --vo=gpu ---
# Both draw with the OpenGL renderer the display offers and ask for hwdec=auto-safe (mpv is told
# with --gpu-sw=yes to accept a software renderer, which it refuses by default). Under Xvfb that
# renderer is Mesa's llvmpipe, which rasterises on the CPU, and no hardware decoder exists: both
# players decode in software and their "GPU" work lands on the CPU, so the ratio measures the
# players' own overhead around the same renderer. On a real GPU, decoding (VA-API/NVDEC via
# auto-safe) and scaling/conversion move off the CPU for both, so both CPU figures drop several
# times; what stays is the players' per-frame bookkeeping, where Velmora adds one framebuffer blit
# (GPU work) and Qt's composition of the window.
compare_gl() {
    local gl_args=(--vo=gpu --gpu-sw=yes --hwdec=auto-safe --ao=null --msg-level=all=error,statusline=status
                   --geometry=1280x720+1300+0)
    echo
    local renderer
    renderer=$(mpv --vo=gpu --ao=null --frames=1 -v "$clip" 2>&1 |
               sed -n "s/.*GL_RENDERER='\\(.*\\)'.*/\\1/p" | head -1) || true
    echo "OpenGL path: renderer ${renderer:-unknown}; $runs runs"
    for i in $(seq "$runs"); do
        cpu_of "$work/gcpu-v.$i" "$work/gv.log.$i" "$play_clip" --video gl --window 1280x720+0+0 \
            "$clip" &
        local vpid=$!
        cpu_of "$work/gcpu-m.$i" "$work/gm.log.$i" mpv "${gl_args[@]}" \
            --term-status-msg='DROP ${frame-drop-count} ${vo-drop-frame-count}' "$clip" &
        local mpid=$!
        wait "$vpid" "$mpid"
        grep -q '^video_path gl' "$work/gv.log.$i" ||
            { echo "play_clip did not use the OpenGL surface:"; cat "$work/gv.log.$i"; return 1; }
    done
    local v m vd md vf
    v=$(cat "$work"/gcpu-v.* | median)
    m=$(cat "$work"/gcpu-m.* | median)
    vd=$(grep -h '^dropped' "$work"/gv.log.* | awk '{print $2}' | median)
    vf=$(grep -h '^frames' "$work"/gv.log.* | awk '{print $2}' | median)
    md=$(for f in "$work"/gm.log.*; do
             tr '\r' '\n' <"$f" | grep -a -o 'DROP [0-9]* [0-9]*' | tail -1 | awk '{print $2 + $3}'
         done | median)
    printf '%-28s %10s %10s %8s\n' "" "Velmora gl" "mpv gpu" "ratio"
    printf '%-28s %10.3f %10.3f %8.2f\n' "CPU seconds (median)" "$v" "$m" \
        "$(awk -v a="$v" -v b="$m" 'BEGIN {print (b > 0) ? a / b : 0}')"
    printf '%-28s %10s %10s\n' "dropped frames (median)" "$vd" "$md"
    printf '%-28s %10s\n' "frames rendered (median)" "$vf"
    echo "per run CPU (Velmora gl, mpv gpu):"; paste <(cat "$work"/gcpu-v.*) <(cat "$work"/gcpu-m.*)
}
[ "${VELMORA_BENCH_GL:-1}" = 0 ] || compare_gl
# --- end of OpenGL path ---
# The whole program's launch to first picture on screen against mpv's, when it is built.
if [ -x "$build/velmora" ] && [ -x "$build/bench/first_picture" ]; then
    echo
    bench/startup-vs-mpv.sh "$build" 7
fi
