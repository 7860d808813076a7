#!/usr/bin/env bash
# Sets Velmora up on a Debian 12 machine.
#   scripts/setup.sh start   install what is missing, build, start the player on the demo clip
#   scripts/setup.sh test    install what is missing, build, run every test under Xvfb
# Run as root (or with sudo available) so missing Debian packages can be installed.
set -euo pipefail
cd "$(dirname "$0")/.."
mode=${1:-start}
build=${VELMORA_BUILD_DIR:-build}
[ "$mode" = test ] && build=${VELMORA_BUILD_DIR:-build-test}

packages=(
    cmake g++ make pkg-config
    qt6-base-dev qt6-base-dev-tools libqt6opengl6-dev libgl-dev libgl1-mesa-dri libglx-mesa0 libegl-mesa0
    libmpv-dev ffmpeg qt6-wayland libxcb1-dev
    fonts-nanum fonts-baekmuk
)
if [ "$mode" = test ]; then
    packages+=(libgtest-dev libgmock-dev libbenchmark-dev xvfb xauth x11-utils xdotool
               imagemagick mpv clang libclang-rt-14-dev openbox weston dbus xdg-utils
               libglib2.0-bin desktop-file-utils appstream dpkg-dev file librsvg2-bin
               # playerctl and busctl (systemd) drive the player over the session bus.
               playerctl systemd)
fi

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    sudo_cmd=()
    [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
    "${sudo_cmd[@]}" apt-get update -q
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends \
        "${missing[@]}"
fi

jobs=$(nproc 2>/dev/null || echo 2)
if [ "$mode" = test ]; then
    cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELMORA_TESTS=ON -DVELMORA_BENCH=ON
else
    cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DVELMORA_TESTS=OFF -DVELMORA_BENCH=OFF
fi
cmake --build "$build" -j"$jobs"

case "$mode" in
start)
    exec "$build/velmora" "$build/demo/velmora-demo.mp4"
    ;;
test)
    exec scripts/run-tests.sh "$build"
    ;;
*)
    echo "usage: $0 start|test" >&2
    exit 2
    ;;
esac
