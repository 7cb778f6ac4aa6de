#!/usr/bin/env bash
# The installer as people run it, in a Wine prefix made for this run only, on a virtual display:
#
# - a new user's silent install (/S) into Program Files: the program, its uninstaller, the
#   Start-menu shortcuts "Pernadas" and "Desinstalar Pernadas", and its entry among the
#   installed programs with every value Windows shows or uses, of the right type; the installed
#   program started until its splash shows; a silent uninstall that leaves no file, shortcut or
#   registry key of the program behind;
# - someone with an earlier version in a folder of their own (its installer made here from the
#   Windows build BUILD with CPack's own script, as releases were made before this one), who opens the new installer, reads the licence page (the project's
#   licence), and cancels on the folder page: the earlier version must still be all there;
#   then installs it for real through every page: it must go over the earlier one, in its
#   folder, leave nothing of it behind, and start the program from "Executar Pernadas" on the
#   last page; uninstalled then with the entry's quiet command, again without a trace.
#
# The pages go to SCREENS as pictures.
#   bash installer_test.sh PREFIX INSTALLER SCREENS BUILD
set -euo pipefail
# A command that fails outside the checks ends the run too: it says which, and where.
trap 'echo "FAIL: line $LINENO: $BASH_COMMAND (exit $?)" >&2' ERR
here=$(cd "$(dirname "$0")" && pwd)
prefix=$(realpath -m "$1")
installer=$(realpath -m "$2")
screens=$3
build=$(realpath -m "$4")
licence=$here/../LICENSE
version_of() { basename "$1" | sed -E 's/^pernadas-(.*)-win64\.exe$/\1/'; }
version=$(version_of "$installer")
# One minor version back, or the last of the major version before.
major=${version%%.*}
minor=${version#*.}
minor=${minor%%.*}
if [ "$minor" -gt 0 ]; then older_version=$major.$((minor - 1)); else older_version=$((major - 1)).9; fi
older=$prefix-older/pernadas-$older_version-win64.exe

# A failure says what was awaited, and leaves what the installer last showed: its windows, the
# text last copied from it, and a picture of the virtual screen.
seen=""
fail() {
    echo "FAIL: $*" >&2
    [ -z "$seen" ] || echo "-- last copied from the installer: '${seen:0:200}'" >&2
    if [ -s "${log:-}" ]; then
        echo "-- the installed program's trace and Wine's errors, the last 40 lines:" >&2
        tail -n 40 "$log" >&2
    fi
    if [ -n "${DISPLAY:-}" ]; then
        echo "-- windows on the display:" >&2
        xwininfo -root -tree 2>/dev/null | grep -E '[0-9]+x[0-9]+\+' | grep -v ' 1x1+' >&2 || true
        import -window root "$screens/failure.png" 2>/dev/null &&
            echo "-- the screen at the failure: $screens/failure.png" >&2
    fi
    exit 1
}

# The licence as its page shows it: each paragraph of LICENSE on one line.
paragraphs=$(awk 'BEGIN { RS = "" } { gsub(/\n/, " "); printf "%s%s", s, $0; s = "\n\n" }' "$licence")

# Every text the installer and its uninstaller show, "name: text": the texts its script defines
# or gives anew, NSIS's Portuguese texts that it leaves, and the script's own.
installer_texts() {
    local lang=${NSISDIR:-/usr/share/nsis}/Contrib/Language\ files
    awk 'function q(s) { sub(/^[^"]*"/, "", s); sub(/"[ \t\r]*$/, "", s); return s }
        FILENAME == ARGV[1] && /^ *(!define MUI_|LangString \^).*"/ { mine[$2] = 1; print $2 ": " q($0) }
        FILENAME == ARGV[1] && $1 ~ /^(DetailPrint|MessageBox)$/ { print }
        FILENAME == ARGV[2] { if (n != "" && !(n in mine)) print n ": " $0; n = /^# \^/ ? $2 : "" }
        FILENAME == ARGV[3] && $1 == "${LangFileString}" && !($2 in mine) { print $2 ": " q($0) }' \
        "$build/_CPack_Packages/win64/NSIS/project.nsi" "$lang/Portuguese.nlf" "$lang/Portuguese.nsh"
}

if [ -z "${PERNADAS_INSTALLER_ON_DISPLAY:-}" ]; then
    if [ ! -f "$installer" ]; then
        echo "FAIL: no installer at $installer (cpack in the build directory makes it)"
        exit 1
    fi
    # Its texts, listed in SCREENS, in European Portuguese as written today: no Brazilian
    # gerund ("Instalando") or word, nor a spelling from before the reform ("actualize").
    mkdir -p "$screens"
    installer_texts >"$screens/installer-texts.txt"
    [ "$(grep -c '^\^' "$screens/installer-texts.txt")" -ge 80 ] || fail "NSIS's own texts not read"
    brazilian=$(LC_ALL=C.UTF-8 sed -E 's/\b(quando|comando|vindo)\b//gI' "$screens/installer-texts.txt" |
        LC_ALL=C.UTF-8 grep -iwE '[[:alpha:]]+(ando|endo|[ií]ndo)|arquivos?|diret[óo]rios?|você|usuários?|tecle|registro|actuali[[:alpha:]]*|selecc[[:alpha:]]*' || true)
    [ -z "$brazilian" ] || fail "the installer's texts not in European Portuguese: $brazilian"
    # The earlier version's installer: this build's program, packed by CPack's own script.
    rm -rf "$prefix-older"
    cpack -G NSIS --config "$build/CPackConfig.cmake" -B "$prefix-older" -D CPACK_MODULE_PATH= \
          -D CPACK_PACKAGE_VERSION="$older_version" \
          -D CPACK_PACKAGE_FILE_NAME="pernadas-$older_version-win64" >"$prefix-older.log" 2>&1 ||
        { cat "$prefix-older.log"; echo "FAIL: cpack could not make the earlier version's installer"; exit 1; }
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
stop_wine() {
    WINEPREFIX="$prefix" WINEDEBUG=-all wineserver -k || true
    settle
}
drive=$prefix/drive_c
key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Pernadas'
maker_key='HKLM\Software\Lingas Ribeira'
menu="$drive/ProgramData/Microsoft/Windows/Start Menu/Programs/Pernadas"
shortcuts() { find "$drive" -iname '*.lnk' -ipath '*pernadas*' 2>/dev/null | sort || true; }
# The type and data of a value of the entry among the installed programs: "REG_SZ Pernadas".
entry() { win reg query "$key" 2>/dev/null | tr -d '\r' || true; }
value() { sed -nE "s/^ +$1 +(REG_[A-Z_]+) +(.*)\$/\1 \2/p" <<<"$2"; }
expect_value() {
    local got
    got=$(value "$1" "$2")
    [ "$got" = "$3" ] || fail "the entry's $1 is '$got', not '$3'"
}
# Every file of the prefix but Wine's own churn, to tell what an install leaves behind.
files() {
    (cd "$drive" && find . -path ./windows -prune -o -path ./users -prune -o -print | sort)
}
# The installer's windows on the display: in Portuguese, whatever Wine's own language.
installer_windows() {
    xwininfo -root -tree | grep -E '"Instalação de Pernadas *":' | grep -v ' 1x1+' || true
}
wait_for() {
    local what=$1 deadline=$((SECONDS + $2))
    shift 2
    until "$@"; do
        [ $SECONDS -lt $deadline ] || fail "$what: not within the time allowed"
        sleep 0.2
    done
}
# The pages, told apart by what a user can copy from them: the licence's paragraphs (the focus
# moved into its text, all of it selected), or the folder offered, selected.
copy() {
    xdotool key "$@"
    sleep 0.3
    seen=$(xclip -o -selection clipboard 2>/dev/null | tr -d '\r' || true)
}
licence_page() { copy Tab ctrl+a ctrl+c && [ "$seen" = "$paragraphs" ]; }
folder_page() { copy ctrl+c && [ "$seen" = "$folder_win" ]; }
installer_count() { installer_windows | wc -l; }
shown() { [ "$(installer_count)" -ge "${1:-1}" ]; }
gone() { [ -z "$(installer_windows)" ] && ! kill -0 "$pid" 2>/dev/null; }
shot() {
    sleep 0.7
    import -window root "$screens/$1.png"
}
# The installed entry and files of a version in a folder (Windows path, and its path here).
check_installed() {
    local folder_win=$1 folder=$2 ver=$3 data size
    [ -f "$folder/pernadas.exe" ] || fail "no pernadas.exe in $folder_win"
    [ -f "$folder/Uninstall.exe" ] || fail "no uninstaller in $folder_win"
    [ "$(shortcuts)" = "$(printf '%s\n' "$menu/Desinstalar Pernadas.lnk" "$menu/Pernadas.lnk")" ] ||
        fail "the Start menu's shortcuts are not Pernadas and Desinstalar Pernadas: $(shortcuts)"
    data=$(entry)
    expect_value DisplayName "$data" "REG_SZ Pernadas"
    expect_value DisplayVersion "$data" "REG_SZ $ver"
    expect_value Publisher "$data" "REG_SZ Lingas Ribeira"
    expect_value DisplayIcon "$data" "REG_SZ $folder_win\\pernadas.exe"
    expect_value InstallLocation "$data" "REG_SZ $folder_win"
    expect_value UninstallString "$data" "REG_SZ \"$folder_win\\Uninstall.exe\""
    expect_value QuietUninstallString "$data" "REG_SZ \"$folder_win\\Uninstall.exe\" /S"
    expect_value NoModify "$data" "REG_DWORD 0x1"
    expect_value NoRepair "$data" "REG_DWORD 0x1"
    # In KiB, the folder's bytes rounded down.
    size=$(find "$folder" -type f -printf '%s\n' | awk '{ b += $1 } END { print int(b / 1024) }')
    expect_value EstimatedSize "$data" "REG_DWORD $(printf '0x%x' "$size")"
}
# Nothing of the program: no file beyond what the prefix held before, no shortcut, no entry, no
# key of the maker's, no mention in the registry.
# A second argument is a folder of the user's own around it, removed here when empty.
check_no_trace() {
    local folder=$1
    for _ in $(seq 100); do
        # The uninstaller runs from a copy of itself and may finish after the one started.
        [ -e "$folder" ] || break
        sleep 0.1
    done
    [ ! -e "$folder" ] || fail "left behind: $(find "$folder")"
    [ -z "${2:-}" ] || rmdir "$2"
    [ -z "$(shortcuts)" ] || fail "shortcuts left behind: $(shortcuts)"
    win reg query "$key" >/dev/null 2>&1 && fail "the entry among the installed programs is still there"
    win reg query "$maker_key" >/dev/null 2>&1 && fail "the maker's key $maker_key is still there"
    settle
    local left
    left=$(files | comm -13 "$before" -)
    [ -z "$left" ] || fail "files left behind: $left"
    left=$(grep -iE 'pernadas|lingas' "$prefix/system.reg" "$prefix/user.reg" || true)
    [ -z "$left" ] || fail "the registry still names the program: $left"
}
before=$(mktemp)
trap 'rm -f "$log" "$before"; [ -z "$pid" ] || kill "$pid" 2>/dev/null || true' EXIT
files >"$before"

echo "== install =="
folder="$drive/Program Files/Pernadas"
win "$installer" /S
settle
check_installed 'C:\Program Files\Pernadas' "$folder" "$version"
win reg query "$maker_key" >/dev/null 2>&1 && fail "the installer wrote the maker's key $maker_key"
echo "installed: $(cd "$folder" && ls | tr '\n' ' '), the entry: $(entry | grep -c REG_) values"

echo "== the installed program =="
PERNADAS_TRACE_FORMS=1 win 'C:\Program Files\Pernadas\pernadas.exe' >"$log" 2>&1 &
pid=$!
splash() { grep -q "frmsplashscreen shown" "$log"; }
wait_for "the installed program's splash" 120 splash
sleep 0.5
import -window root "$screens/installed-splash.png"
kill "$pid" 2>/dev/null || true
pid=""
stop_wine

echo "== uninstall =="
win 'C:\Program Files\Pernadas\Uninstall.exe' /S
settle
check_no_trace "$folder"
echo "installed, started and uninstalled without a trace"

echo "== an earlier version ($older_version) in a folder of its own =="
folder="$drive/Ferramentas/Pernadas"
folder_win='C:\Ferramentas\Pernadas'
# No space in it: Wine would quote the argument, and NSIS takes /D= unquoted only.
win "$older" /S "/D=$folder_win"
settle
[ -f "$folder/pernadas.exe" ] || fail "the earlier version did not install into $folder_win"
[ "$(value DisplayVersion "$(entry)")" = "REG_SZ $older_version" ] ||
    fail "the earlier version's entry says $(value DisplayVersion "$(entry)")"
earlier_files=$(cd "$folder" && ls)
earlier_shortcuts=$(shortcuts)

echo "== the new installer, cancelled on the folder page =="
win "$installer" &
pid=$!
wait_for "the installer's window, titled in Portuguese" 60 shown
shot installer-welcome
xdotool key Return # Seguinte
# The licence page: its text, copied as a user would, is the project's licence.
wait_for "the licence page showing LICENSE's paragraphs" 30 licence_page
xdotool key ctrl+Home
shot installer-licence
xdotool key Return # Aceito
# The folder page offers the earlier version's folder: its text, selected, copied.
wait_for "the folder page offering the earlier version's $folder_win" 30 folder_page
shot installer-folder
xdotool key Escape
wait_for "the question whether to cancel" 10 shown 2
shot installer-cancel
xdotool key Return
wait_for "the installer ending after its Cancel" 20 gone
wait "$pid" || true
pid=""
settle
[ "$(cd "$folder" && ls)" = "$earlier_files" ] ||
    fail "after Cancel the earlier version's folder holds $(cd "$folder" && ls | tr '\n' ' ')"
[ "$(shortcuts)" = "$earlier_shortcuts" ] || fail "after Cancel the shortcuts are $(shortcuts)"
[ "$(value DisplayVersion "$(entry)")" = "REG_SZ $older_version" ] ||
    fail "after Cancel the entry says $(value DisplayVersion "$(entry)")"
echo "cancelled: the earlier version is all there"

echo "== the new installer, through every page, over the earlier version =="
win "$installer" &
pid=$!
wait_for "the installer's window" 60 shown
xdotool key Return # Seguinte
wait_for "the licence page" 30 licence_page
xdotool key Return # Aceito
wait_for "the folder page" 30 folder_page
xdotool key Return # Instalar, into the earlier version's folder
installed() { [ "$(value DisplayVersion "$(entry)")" = "REG_SZ $version" ]; }
wait_for "the new version's entry" 60 installed
shot installer-finish
xdotool key Return # Terminar, with "Executar Pernadas" ticked
program_window() { xwininfo -root -tree | grep '("pernadas.exe" ' | grep -vq ' 1x1+'; }
wait_for "the program started from the last page" 60 program_window
shot installer-started
wait "$pid" || true
pid=""
stop_wine
check_installed "$folder_win" "$folder" "$version"
[ ! -e "$drive/Program Files/Pernadas" ] || fail "the upgrade went into Program Files, not over the earlier version"
win reg query "$maker_key" >/dev/null 2>&1 && fail "the earlier version's key $maker_key is still there"
echo "upgraded in place: $(cd "$folder" && ls | tr '\n' ' ')"

echo "== uninstall with the entry's quiet command =="
quiet=$(value QuietUninstallString "$(entry)")
quiet=${quiet#REG_SZ }
[ "${quiet% /S}" != "$quiet" ] || fail "the quiet uninstall command does not end in /S: $quiet"
uninstaller=${quiet% /S}
uninstaller=${uninstaller#\"}
win "${uninstaller%\"}" /S
settle
check_no_trace "$folder" "$drive/Ferramentas"
echo "the installer upgrades in place, keeps the earlier version on Cancel and leaves no trace"
