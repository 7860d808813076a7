#!/usr/bin/env bash
# Installs a build tree with `cmake --install --prefix /usr` into a temporary DESTDIR and checks the
# result as a desktop would read it: every file where it belongs and nothing else, the desktop entry
# and the AppStream metadata valid (the metadata's launchable found in the tree), each icon PNG of
# the size its folder names, and every MIME type of the entry one the shared MIME database knows.
#   scripts/test-install.sh BUILD_DIR
set -uo pipefail
build=$(cd "${1:?usage: $0 BUILD_DIR}" && pwd) || exit 2
dest=$(mktemp -d)
trap 'rm -rf "$dest"' EXIT

failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

DESTDIR=$dest cmake --install "$build" --prefix /usr >"$dest.log" 2>&1 ||
    { cat "$dest.log"; rm -f "$dest.log"; echo "FAIL: cmake --install"; exit 1; }
rm -f "$dest.log"
cd "$dest" || exit 1

sizes=(16 24 32 48 64 128 256)
expected=(usr/bin/velmora usr/share/applications/velmora.desktop
          usr/share/metainfo/io.github.velmora.Velmora.metainfo.xml
          usr/share/icons/hicolor/scalable/apps/velmora.svg)
for s in "${sizes[@]}"; do expected+=("usr/share/icons/hicolor/${s}x$s/apps/velmora.png"); done
diff <(printf '%s\n' "${expected[@]}" | sort) <(find . -type f -printf '%P\n' | sort) ||
    fail "installed files differ from the expected list (< expected, > installed)"
[ -x usr/bin/velmora ] || fail "usr/bin/velmora is not executable"

entry=usr/share/applications/velmora.desktop
desktop-file-validate "$entry" || fail "desktop-file-validate $entry"
grep -qx 'Icon=velmora' "$entry" || fail "$entry does not name the installed icon"
appstreamcli validate-tree --no-net "$dest" || fail "appstreamcli validate-tree"

for s in "${sizes[@]}"; do
    png=usr/share/icons/hicolor/${s}x$s/apps/velmora.png
    got=$(identify -format '%m %wx%h' "$png" 2>&1)
    [ "$got" = "PNG ${s}x$s" ] || fail "$png is '$got'"
done
got=$(identify -format '%wx%h' usr/share/icons/hicolor/scalable/apps/velmora.svg 2>&1)
[ "$got" = 256x256 ] || fail "the scalable icon does not render as 256x256: $got"

# Types the database does not list (the legacy Windows media types and the mms scheme) are kept
# for the file associations that name them.
mimedir=/usr/share/mime
for t in $(sed -n 's/^MimeType=//p' "$entry" | tr ';' ' '); do
    case "$t" in
    video/x-ms-wmp | video/x-ms-asx | x-scheme-handler/mms) continue ;;
    esac
    grep -qxF "$t" "$mimedir/types" || grep -q "^$t " "$mimedir/aliases" ||
        fail "MIME type $t is unknown to the shared MIME database"
done

if [ $failures -eq 0 ]; then
    echo "install tree: all checks passed"
    exit 0
fi
echo "install tree: $failures check(s) failed"
exit 1
