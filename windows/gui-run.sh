#!/bin/sh
# Runs a command that shows Windows programs under Wine on a virtual display of its own:
#   sh gui-run.sh PREFIX COMMAND [ARGUMENT...]
# The Wine prefix is the display tests' own (one Wine desktop per display); its Wine server is
# stopped at the end, so that the next run starts on its own display.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
WINEPREFIX=$(realpath -m "$1")
shift
export WINEPREFIX PERNADAS_WINE_DISPLAY=1
# A virtual display has no window manager: Wine is told to expect none, or it waits for one at
# every window that comes and goes.
if [ ! -f "$WINEPREFIX/.pernadas-unmanaged" ]; then
    sh "$here/wine-run.sh" "$WINEPREFIX" reg add 'HKCU\Software\Wine\X11 Driver' \
        /v Managed /d N /f >/dev/null
    WINEDEBUG=-all wineserver -w
    touch "$WINEPREFIX/.pernadas-unmanaged"
fi
status=0
sh "$here/xvfb-run.sh" "$@" || status=$?
WINEDEBUG=-all wineserver -k 2>/dev/null || true
WINEDEBUG=-all wineserver -w 2>/dev/null || true
exit $status
