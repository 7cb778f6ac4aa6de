#!/usr/bin/env bash
# The installer as a new user would run it, in a Wine prefix made for this run only: a silent
# install (/S) into Program Files with its Start-menu shortcut and its entry in the list of
# installed programs; the installed program started from there, on a virtual display, until its
# splash shows; a silent uninstall that leaves no file, no shortcut and no entry behind.
#   bash installer_test.sh PREFIX INSTALLER SCREENS
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
prefix=$(realpath -m "$1")
installer=$(realpath -m "$2")
screens=$3

if [ -z "${PERNADAS_INSTALLER_ON_DISPLAY:-}" ]; then
    if [ ! -f "$installer" ]; then
        echo "FAIL: no installer at $installer (cpack in the build directory makes it)"
        exit 1
    fi
    WINEPREFIX="$prefix" WINEDEBUG=-all wineserver -k 2>/dev/null || true
    rm -rf "$prefix" "$prefix.lock"
    exec env PERNADAS_INSTALLER_ON_DISPLAY=1 sh "$here/gui-run.sh" "$prefix" bash "$0" "$@"
fi

mkdir -p "$screens"
log=$(mktemp)
pid=""
trap 'rm -f "$log"; [ -z "$pid" ] || kill "$pid" 2>/dev/null || true' EXIT
win() { sh "$here/wine-run.sh" "$prefix" "$@"; }
settle() { WINEPREFIX="$prefix" WINEDEBUG=-all wineserver -w; }
fail() {
    echo "FAIL: $*" >&2
    exit 1
}
drive=$prefix/drive_c
folder="$drive/Program Files/Pernadas"
key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Pernadas'
shortcuts() { find "$drive" -iname '*.lnk' -ipath '*pernadas*' 2>/dev/null || true; }

echo "== install =="
win "$installer" /S
settle
[ -f "$folder/pernadas.exe" ] || fail "the installer put no pernadas.exe in Program Files"
[ -f "$folder/Uninstall.exe" ] || fail "the installer put no uninstaller in Program Files"
shortcuts | grep -qi 'Pernadas/Pernadas.lnk$' || fail "no Start-menu shortcut: $(shortcuts)"
entry=$(win reg query "$key" 2>/dev/null || true)
grep -q 'DisplayName.*Pernadas' <<<"$entry" || fail "no entry among the installed programs"
grep -q 'UninstallString' <<<"$entry" || fail "the entry has no uninstall command"
echo "installed: $(cd "$folder" && ls | tr '\n' ' ')"

echo "== the installed program =="
PERNADAS_TRACE_FORMS=1 win 'C:\Program Files\Pernadas\pernadas.exe' >"$log" 2>&1 &
pid=$!
for _ in $(seq 300); do
    grep -q "frmsplashscreen shown" "$log" && break
    sleep 0.1
done
grep -q "frmsplashscreen shown" "$log" || fail "the installed program showed no splash"
sleep 0.5
import -window root "$screens/installed-splash.png"
kill "$pid" 2>/dev/null || true
pid=""
WINEPREFIX="$prefix" WINEDEBUG=-all wineserver -k || true
settle

echo "== uninstall =="
win 'C:\Program Files\Pernadas\Uninstall.exe' /S
settle
# The uninstaller runs from a copy of itself and may finish after the one that was started.
for _ in $(seq 100); do
    [ -e "$folder" ] || break
    sleep 0.1
done
[ ! -e "$folder" ] || fail "left behind: $(find "$folder")"
[ -z "$(shortcuts)" ] || fail "shortcuts left behind: $(shortcuts)"
win reg query "$key" >/dev/null 2>&1 && fail "the entry among the installed programs is still there"
echo "installed, started and uninstalled without a trace"
