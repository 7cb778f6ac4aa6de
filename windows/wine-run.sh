#!/bin/sh
# Runs a Windows program under Wine in a prefix of its own, headless:
#   sh wine-run.sh PREFIX PROGRAM [ARGUMENT...]
# The prefix is made at its first use, under a lock since tests start side by side. Wine's debug
# output but for its errors (unless PERNADAS_WINEDEBUG asks for other) and its offers to install
# Mono and Gecko are off, and no display is used unless PERNADAS_WINE_DISPLAY=1 asks to keep the
# one DISPLAY names (windows/xvfb-run.sh makes one). Wine's menu builder is off too: it would copy
# every Start-menu shortcut a program makes, with its icons, into the user's own desktop menu
# (~/.local/share/applications, ~/.config/menus, ~/.local/share/icons), outside the prefix, and
# leave them there.
#
# Wine runs without address randomization. Debian's Wine starts without a preloader, so nothing
# holds the fixed address of the page it shares with its server (0x7ffe0000) before the C
# library's heap is placed, and this kernel places that heap anywhere in a gigabyte above Wine's
# loader: about one start in two thousand found it there and died with "failed to map the shared
# user data". Without randomization the heap starts right after the loader, every time.
set -eu
WINEPREFIX=$(realpath -m "$1")
shift
export WINEPREFIX
export WINEDEBUG="${PERNADAS_WINEDEBUG:--all,err+all}"
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
norandom="setarch $(uname -m) --addr-no-randomize"
unset WAYLAND_DISPLAY
[ "${PERNADAS_WINE_DISPLAY:-}" = 1 ] || unset DISPLAY

ready="$WINEPREFIX/.pernadas-ready"
if [ ! -f "$ready" ]; then
    mkdir -p "$(dirname "$WINEPREFIX")"
    # The stamp is left only by a set-up that finished, so one cut short is done again. Wine's
    # server goes on writing the new prefix after wineboot returns: the set-up waits for it, and
    # a first wineboot that fails (seen once on a fresh machine) is given one more try.
    flock "$WINEPREFIX.lock" sh -c '
        [ -f "$1" ] && exit 0
        if ! $2 wine wineboot -i; then
            wineserver -w
            echo "wine-run.sh: setting up the prefix failed once; trying again" >&2
            $2 wine wineboot -u || exit
        fi
        wineserver -w && touch "$1"' sh "$ready" "$norandom"
fi
exec $norandom wine "$@"
