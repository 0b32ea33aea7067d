#!/usr/bin/env bash
# Builds the Debian package from a build directory and checks it: its contents, the desktop
# entry, the AppStream metadata and the manual page through their validators, and the
# installed files at work in a scratch root. When the program has its command line, a harvest
# runs there as an ordinary user, so the piece files must go to the per-user directory.
# Usage: scripts/check-package.sh [build-dir]   (default: build)
set -euo pipefail

build=${1:-build}
app_id=org.rosterly.Rosterly
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
fail() { echo "check-package: $*" >&2; exit 1; }

(cd "$build" && cpack -G DEB -B "$scratch/out" >"$scratch/cpack.log" 2>&1) ||
    { cat "$scratch/cpack.log" >&2; fail "cpack failed"; }
deb=$(ls "$scratch"/out/rosterly_*.deb)
echo "package: $(basename "$deb"), $(stat -c %s "$deb") bytes"
dpkg-deb -f "$deb" Package Version Architecture Depends

dpkg-deb -c "$deb" | awk '{print $6}' | sed 's|^\./|/|' >"$scratch/contents"
expected=(
    /usr/bin/rosterly /usr/lib/rosterly/Rosterly /usr/lib/rosterly/libCorvell.so
    /usr/lib/rosterly/sievan-pipe /usr/share/applications/$app_id.desktop
    /usr/share/metainfo/$app_id.metainfo.xml /usr/share/man/man1/rosterly.1.gz
    /usr/share/icons/hicolor/scalable/apps/rosterly.svg
)
for size in 16 22 24 32 48 64 128 256; do
    expected+=("/usr/share/icons/hicolor/${size}x${size}/apps/rosterly.png")
done
for path in "${expected[@]}"; do
    grep -qxF "$path" "$scratch/contents" || fail "the package lacks $path"
done
! grep -v '^/usr/' "$scratch/contents" | grep -qv '^/$' || fail "the package installs outside /usr"
echo "contents: ${#expected[@]} expected files present, all under /usr"

root="$scratch/root"
dpkg-deb -x "$deb" "$root"
desktop-file-validate "$root/usr/share/applications/$app_id.desktop"
appstreamcli validate --no-net --pedantic "$root/usr/share/metainfo/$app_id.metainfo.xml" >/dev/null ||
    appstreamcli validate --no-net "$root/usr/share/metainfo/$app_id.metainfo.xml"
warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$root/usr/share/man/man1/rosterly.1.gz" 2>&1 >/dev/null)
[ -z "$warnings" ] || fail "the manual page has warnings: $warnings"
for size in 16 256; do
    identify -format '%wx%h' "$root/usr/share/icons/hicolor/${size}x${size}/apps/rosterly.png" |
        grep -qx "${size}x${size}" || fail "the ${size} px icon has the wrong size"
done
echo "validators: desktop entry, AppStream metadata, manual page and icons pass"

# The installed files at work, as an ordinary user who may not write below /usr.
chmod 755 "$scratch"
chmod -R a-w "$root/usr"
as_user=()
if [ "$(id -u)" -eq 0 ]; then as_user=(setpriv --reuid=nobody --regid=nogroup --clear-groups); fi
home="$scratch/home"
mkdir -m 777 "$home"
run() { env -i PATH=/usr/bin:/bin HOME="$home" "${as_user[@]}" "$@"; }

cleaned=$(printf 'contact: abc@b.c\n' | run "$root/usr/lib/rosterly/sievan-pipe")
[ "$cleaned" = "abc@b.c" ] || fail "the installed control library does not serve sievan-pipe: $cleaned"
echo "installed sievan-pipe loads the installed control library"

if run "$root/usr/bin/rosterly" --version >/dev/null 2>&1; then
    printf 'To: ann@example.com, bob@example.org\r\ncarl@example.net\r\n' >"$home/in.txt"
    run "$root/usr/bin/rosterly" -i "$home/in.txt" -s 1 -o "$home/out.doc" >"$scratch/summary" ||
        fail "the installed command line failed: $(cat "$scratch/summary")"
    [ -s "$home/.local/share/rosterly/file1.doc" ] ||
        fail "a split run did not write its pieces to ~/.local/share/rosterly"
    echo "installed command line: a split run writes its pieces to the per-user directory"

    # A web page from a local server: temp.doc goes to the per-user directory too.
    mkdir "$scratch/site" && printf '<p>Write to <a href="mailto:dora@example.com">Dora</a></p>\n' \
        >"$scratch/site/page.html"
    python3 -u -m http.server 0 --bind 127.0.0.1 --directory "$scratch/site" \
        >"$scratch/server.log" 2>&1 &
    server=$!
    for _ in $(seq 50); do
        port=$(sed -n 's/.* port \([0-9]*\).*/\1/p' "$scratch/server.log" | head -n1)
        [ -n "$port" ] && break
        sleep 0.1
    done
    status=0
    run "$root/usr/bin/rosterly" -u "http://127.0.0.1:$port/page.html" -o "$home/web.doc" \
        >"$scratch/summary" 2>&1 || status=$?
    kill "$server" 2>/dev/null || true
    wait "$server" 2>/dev/null || true
    [ "$status" -eq 0 ] || fail "the installed command line failed on a web page: $(cat "$scratch/summary")"
    [ "$(cat "$home/web.doc")" = "dora@example.com"$'\r\n'"<END>" ] ||
        fail "the web page's list is wrong: $(cat "$home/web.doc")"
    [ -s "$home/.local/share/rosterly/temp.doc" ] ||
        fail "a web harvest did not keep temp.doc in ~/.local/share/rosterly"
    echo "installed command line: a web harvest keeps temp.doc in the per-user directory"
else
    echo "installed command line: not available yet, not run"
fi
