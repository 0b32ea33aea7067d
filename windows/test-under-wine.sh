#!/usr/bin/env bash
# The Windows stage: cross-builds Corvell.dll and the native client with
# MinGW-w64 for 64-bit and 32-bit Windows. The 32-bit DLL cannot run here, so
# it is checked as built: machine type, exports, imports, resources, and its
# type library against the 64-bit one's. Then, in a fresh Wine prefix, the
# 64-bit library is registered with regsvr32 and driven from a native client
# (automation, type information, two containers) and from VBScript and JScript
# under cscript; it is unregistered and creation must then fail.
# Prints one line per failed check, a count per client, and finally
# "N passed, M failed"; exits non-zero on any failure.
# WINE_STAGE_VERBOSE=1 prints the passed checks too.
set -euo pipefail
cd "$(dirname "$0")/.."

windows/install-deps.sh

printf '\n== Windows build (MinGW-w64), 64-bit and 32-bit\n'
cmake -S windows -B build-windows -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$PWD/windows/mingw-w64-x86_64.cmake" >/dev/null
cmake --build build-windows -j2
cmake -S windows -B build-windows-32 -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$PWD/windows/mingw-w64-i686.cmake" >/dev/null
cmake --build build-windows-32 -j2
dll=build-windows/bin/Corvell.dll
dll32=build-windows-32/bin/Corvell.dll
client=build-windows/bin/corvell_native_client.exe

scratch=$(mktemp -d)
export WINEPREFIX="$scratch/prefix" WINEARCH=win64 WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY
cleanup() {
    wineserver -k 2>/dev/null || true
    rm -rf "$scratch"
}
trap cleanup EXIT

passed=0
failed=0
# Counts the PASS and FAIL lines of one client's output ($2), printing the
# failures. A client that did not reach its end (no DONE line) or failed ($3
# non-zero) without saying why counts as one failure more.
tally() {
    local name=$1 output=$2 status=$3
    local pass fail
    pass=$(grep -c '^PASS: ' <<<"$output" || true)
    fail=$(grep -c '^FAIL: ' <<<"$output" || true)
    if [ "${WINE_STAGE_VERBOSE:-0}" = 1 ]; then grep '^PASS: ' <<<"$output" || true; fi
    grep '^FAIL: ' <<<"$output" || true
    if ! grep -q '^DONE: ' <<<"$output" || { [ "$status" -ne 0 ] && [ "$fail" -eq 0 ]; }; then
        echo "FAIL: $name: stopped before its end (exit code $status); its last words:"
        grep -v '^PASS: ' <<<"$output" | tail -n 20 || true
        fail=$((fail + 1))
    fi
    echo "$name: $pass passed, $fail failed"
    passed=$((passed + pass))
    failed=$((failed + fail))
}

# Runs one client under Wine; its checks go to tally.
run_client() {
    local name=$1 status=0 output
    shift
    output=$(timeout 120 wine "$@" 2>&1) || status=$?
    tally "$name" "$output" "$status"
}

# One check of its own: $1 describes it, the rest is the command.
run_check() {
    local what=$1 status=0
    shift
    "$@" >/dev/null 2>&1 || status=$?
    if [ "$status" -eq 0 ]; then
        tally "$what" "PASS: $what"$'\n'"DONE: " 0
    else
        tally "$what" "FAIL: $what: exit code $status"$'\n'"DONE: " 0
    fi
}

# Checks one DLL as built: $1 names it, $2 is the file, $3 the file format
# objdump must report (pei-x86-64 or pei-i386).
check_built_dll() {
    local name=$1 file=$2 format=$3 objdump=x86_64-w64-mingw32-objdump
    local headers exports imports unexpected
    headers=$($objdump -p "$file")
    if grep -q "file format $format\$" <<<"$headers"; then
        run_check "$name: machine type $format" true
    else
        run_check "$name: machine type $format, not: $(grep -o 'file format .*' <<<"$headers")" false
    fi
    exports=$(sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' <<<"$headers" |
        sed -n 's/^\s*\[ *[0-9]*\] //p' | sort | tr '\n' ' ')
    if [ "$exports" = "DllCanUnloadNow DllGetClassObject DllRegisterServer DllUnregisterServer " ]; then
        run_check "$name: exports exactly the four server entry points" true
    else
        run_check "$name: exports exactly the four server entry points, not: $exports" false
    fi
    imports=$(sed -n 's/^\s*DLL Name: //p' <<<"$headers" | tr 'A-Z' 'a-z' | sort | tr '\n' ' ')
    unexpected=$(tr ' ' '\n' <<<"$imports" |
        grep -vxE 'kernel32.dll|advapi32.dll|msvcrt.dll|ole32.dll|oleaut32.dll|user32.dll|gdi32.dll|' ||
        true)
    if [ -z "$unexpected" ]; then
        run_check "$name: needs only system libraries ($imports)" true
    else
        run_check "$name: needs only system libraries, not: $unexpected" false
    fi
}

printf '\n== The libraries as built\n'
check_built_dll "64-bit dll" "$dll" pei-x86-64
check_built_dll "32-bit dll" "$dll32" pei-i386

printf '\n== Wine: a fresh prefix\n'
timeout 240 wineboot -i >"$scratch/wineboot.log" 2>&1 ||
    { cat "$scratch/wineboot.log"; echo "0 passed, 1 failed"; exit 1; }
# No display here: Wine's null graphics driver still gives windows and
# device contexts, which the host-window check needs.
wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
wineserver -w
folder="$WINEPREFIX/drive_c/corvell"
mkdir -p "$folder"
cp "$dll" "$client" windows/tests/sievan_client.vbs windows/tests/sievan_client.js "$folder/"
mkdir -p "$folder/x86"
cp "$dll32" "$folder/x86/"

printf '\n== Wine: the 32-bit library read as data\n'
run_client built-32-bit 'C:\corvell\corvell_native_client.exe' --compare-library \
    'C:\corvell\x86\Corvell.dll' 'C:\corvell\Corvell.dll'

printf '\n== Wine: registered\n'
run_check "regsvr32 Corvell.dll" timeout 60 wine regsvr32 /s 'C:\corvell\Corvell.dll'
run_client native 'C:\corvell\corvell_native_client.exe'
run_client vbscript cscript //nologo 'C:\corvell\sievan_client.vbs'
run_client jscript cscript //nologo 'C:\corvell\sievan_client.js'

printf '\n== Wine: unregistered\n'
run_check "regsvr32 /u Corvell.dll" timeout 60 wine regsvr32 /u /s 'C:\corvell\Corvell.dll'
run_check "regsvr32 /u a second time" timeout 60 wine regsvr32 /u /s 'C:\corvell\Corvell.dll'
run_client native-unregistered 'C:\corvell\corvell_native_client.exe' --unregistered
run_client vbscript-unregistered cscript //nologo 'C:\corvell\sievan_client.vbs' unregistered
run_client jscript-unregistered cscript //nologo 'C:\corvell\sievan_client.js' unregistered

echo
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
