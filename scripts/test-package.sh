#!/usr/bin/env bash
# Builds the Debian package of a build tree with CPack, installs it with apt-get, starts the
# installed /usr/bin/velmora on the demo clip under an Xvfb display of its own with openbox, checks
# that its window comes up with the application icon and shows the playing picture, closes it with
# Alt+F4, and removes the package again. Whatever happens, the machine is left as it was: the
# package is removed and the processes started here are ended. Needs root; refuses to run when a
# velmora package or a /usr/bin/velmora is there already.
#   scripts/test-package.sh BUILD_DIR
# VELMORA_PACKAGE_DISPLAY picks the display number (default: the first free one from :150);
# VELMORA_PACKAGE_SHOTS names a folder to keep the two screenshots of the player in.
set -uo pipefail
build=$(cd "${1:?usage: $0 BUILD_DIR}" && pwd) || exit 2
clip=$build/demo/velmora-demo.mp4
[ "$(id -u)" -eq 0 ] || { echo "package: needs root to install the package"; exit 2; }
[ -f "$clip" ] || { echo "package: $clip is missing (build the demo target)"; exit 2; }
if dpkg-query -W -f='${Status}' velmora 2>/dev/null | grep -q 'ok installed' ||
    [ -e /usr/bin/velmora ]; then
    echo "package: velmora is installed on this machine already; not touching it"
    exit 1
fi

apt_get() {
    DEBIAN_FRONTEND=noninteractive apt-get -q -y -o DPkg::Lock::Timeout=120 "$@"
}

tmp=$(mktemp -d)
pids=()
installed=0
cleanup() {
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
        kill "${pids[i]}" 2>/dev/null && wait "${pids[i]}" 2>/dev/null
    done
    if [ $installed -eq 1 ] || dpkg-query -W velmora >/dev/null 2>&1; then
        apt_get purge velmora >/dev/null 2>&1 || dpkg --purge velmora >/dev/null 2>&1
    fi
    rm -rf "$tmp"
}
trap cleanup EXIT
trap 'exit 1' INT TERM HUP

passed=0
failed=0
check() {  # check NAME COMMAND...
    local name=$1
    shift
    if "$@"; then
        passed=$((passed + 1))
    else
        echo "package: FAILED: $name"
        failed=$((failed + 1))
    fi
}
finish() {
    echo "package: $passed passed, $failed failed"
    [ $failed -eq 0 ]
    exit
}
seconds() { echo "$SECONDS s"; }

# The package.
rm -f "$build"/velmora_*.deb
(cd "$build" && cpack -G DEB) >"$tmp/cpack.log" 2>&1
deb=$(ls "$build"/velmora_*.deb 2>/dev/null | head -1)
check "cpack -G DEB made a package" [ -n "$deb" ] || { cat "$tmp/cpack.log"; finish; }
echo "package: built $(basename "$deb") after $(seconds)"
depends=$(dpkg-deb -f "$deb" Depends)
for d in libmpv2 libqt6widgets6 'fonts-baekmuk | fonts-nanum'; do
    check "the package depends on $d" grep -qF "$d" <<<"$depends"
done

# Installed as a user would.
installed=1
apt_get install --no-install-recommends "$deb" >"$tmp/install.log" 2>&1
check "apt-get install $(basename "$deb")" [ -x /usr/bin/velmora ] || { cat "$tmp/install.log"; finish; }
echo "package: installed after $(seconds)"

# A display of its own with a window manager.
display=${VELMORA_PACKAGE_DISPLAY:-:150}
if [ -z "${VELMORA_PACKAGE_DISPLAY:-}" ]; then
    while [ -e "/tmp/.X11-unix/X${display#:}" ] || [ -e "/tmp/.X${display#:}-lock" ]; do
        display=":$((${display#:} + 1))"
    done
fi
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 100); do
    DISPLAY=$display xdpyinfo >/dev/null 2>&1 && break
    sleep 0.1
done
export DISPLAY=$display QT_QPA_PLATFORM=xcb
openbox >/dev/null 2>&1 &
pids+=($!)

# The installed player, with a home of its own; the first-run question is answered already.
home=$tmp/home
mkdir -p "$home/config/Velmora" "$home/run"
chmod 700 "$home/run"
printf '[설정]\nREG=0\n' >"$home/config/Velmora/Velmora.ini"
HOME=$home XDG_CONFIG_HOME=$home/config XDG_DATA_HOME=$home/data XDG_CACHE_HOME=$home/cache \
    XDG_RUNTIME_DIR=$home/run /usr/bin/velmora "$clip" >"$tmp/player.log" 2>&1 &
player=$!
pids+=("$player")

window=$(timeout 30 xdotool search --sync --onlyvisible --name ' - Velmora$' 2>/dev/null | head -1)
check "the installed player's window appears" [ -n "$window" ] || { cat "$tmp/player.log"; finish; }
echo "package: window up after $(seconds)"
check "the window has the application icon" \
    grep -qF ' = 256, 256' <(xprop -id "$window" -f _NET_WM_ICON 32c ' = $0, $1\n' _NET_WM_ICON)

# The picture: not black, and moving (two shots a little apart differ).
mean=0
shot=$tmp/shot.png
for _ in $(seq 40); do
    import -window "$window" "$shot" 2>/dev/null &&
        mean=$(identify -format '%[fx:int(mean*1000)]' "$shot" 2>/dev/null) && [ "$mean" -gt 50 ] &&
        break
    sleep 0.5
done
check "the window is not black (mean brightness $mean/1000)" [ "$mean" -gt 50 ]
sleep 1
import -window "$window" "$tmp/shot2.png" 2>/dev/null
changed=$(compare -metric AE "$shot" "$tmp/shot2.png" null: 2>&1 | cut -d' ' -f1)
check "the picture moves ($changed pixels changed in a second)" [ "${changed%.*}" -gt 1000 ]
[ -n "${VELMORA_PACKAGE_SHOTS:-}" ] && cp "$shot" "$tmp/shot2.png" "$VELMORA_PACKAGE_SHOTS"/

# Closed as a user closes it.
xdotool windowfocus --sync "$window" key alt+F4 2>/dev/null
for _ in $(seq 100); do
    kill -0 "$player" 2>/dev/null || break
    sleep 0.2
done
check "Alt+F4 ends the player" bash -c "! kill -0 $player 2>/dev/null"

# Removed again, without a trace.
apt_get remove velmora >"$tmp/remove.log" 2>&1
removed=$?
check "apt-get remove velmora" [ $removed -eq 0 ] || cat "$tmp/remove.log"
installed=0
check "/usr/bin/velmora is gone" [ ! -e /usr/bin/velmora ]
left=$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print substr($6, 2)}' | while read -r f; do
    [ -e "$f" ] && echo "$f"
done)
check "no file of the package is left ($left)" [ -z "$left" ]
echo "package: removed after $(seconds)"
finish
