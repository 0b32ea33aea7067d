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
else
    echo "installed command line: not available yet, not run"
fi
