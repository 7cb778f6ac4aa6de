#!/usr/bin/env bash
# The real program under Wine on a virtual display, driven as a person would with the mouse and
# the keyboard (xdotool): the splash, the main menu about 4 seconds later, "2 Pernadas", a slider
# moved with its arrow, "Cancelar"; the other two calculators, each left with Esc; the about
# dialog closed with its access key; "Terminar". The program must then end by itself with status
# 0. A picture of every window goes to SCREENS. The screen has DPI dots to the inch (96 unless
# given): the prefix's setting for the run, put back to 96 at the end.
#   bash program_test.sh PREFIX PROGRAM SCREENS [DPI]     (on the display that DISPLAY names)
set -euo pipefail
# A command that fails outside the checks ends the run too: it says which, and where.
trap 'echo "FAIL: line $LINENO: $BASH_COMMAND (exit $?)" >&2' ERR
prefix=$1
program=$2
screens=$3
dpi=${4:-96}
here=$(cd "$(dirname "$0")" && pwd)
mkdir -p "$screens"
log=$(mktemp)
pid=""
resolution() {
    sh "$here/wine-run.sh" "$prefix" reg add 'HKCU\Control Panel\Desktop' /v LogPixels \
        /t REG_DWORD /d "$1" /f >/dev/null 2>&1
}
finish() {
    rm -f "$log"
    [ -z "$pid" ] || kill "$pid" 2>/dev/null || true
    [ "$dpi" = 96 ] || resolution 96
}
trap finish EXIT
resolution "$dpi"
# Twips to pixels on this screen.
px() { echo $((($1 * dpi + 720) / 1440)); }

# A failure says what was awaited, and leaves the evidence: the windows on the display, the
# program's trace with Wine's errors, whether the program still runs, and a picture of the whole
# virtual screen.
fail() {
    echo "FAIL: $*" >&2
    echo "-- windows on the display:" >&2
    xwininfo -root -tree | grep -E '[0-9]+x[0-9]+\+' | grep -v ' 1x1+' >&2 || true
    if [ -n "${pid:-}" ] && kill -0 "$pid" 2>/dev/null; then
        echo "-- the program is still running" >&2
    elif [ -n "${pid:-}" ]; then
        echo "-- the program has ended" >&2
    fi
    echo "-- the program's trace and Wine's errors ($(wc -l <"$log") lines, the last 60):" >&2
    tail -n 60 "$log" >&2
    import -window root "$screens/failure.png" 2>/dev/null &&
        echo "-- the screen at the failure: $screens/failure.png" >&2
    [ -n "${pid:-}" ] && kill "$pid" 2>/dev/null
    exit 1
}
# Waits up to $2 seconds for the command after it to succeed, then fails saying what was awaited.
until_true() {
    local what=$1 seconds=$2 deadline=$((SECONDS + $2))
    shift 2
    until "$@"; do
        [ $SECONDS -lt $deadline ] || fail "$what: not within $seconds seconds"
        sleep 0.1
    done
}

# The program says which form's window came up, with its client area's size and corner on the
# screen (PERNADAS_TRACE_FORMS); the display must then show a window of the program around that
# area, its frame and title bar drawn by Wine. Waits up to $2 seconds for form $1's next window
# and sets cw ch cx cy (client area) and fx fy fw fh (the whole window); with a third argument
# "again", a window of the form that is already there will do.
declare -A seen_shown seen_unloaded
wait_form() {
    local name=$1 deadline=$((SECONDS + $2)) count line
    while [ $SECONDS -lt $deadline ]; do
        count=$(grep -c "pernadas: $name shown" "$log" || true)
        if [ "$count" -gt "${seen_shown[$name]:-0}" ] || { [ "${3:-}" = again ] && [ "$count" -gt 0 ]; }; then
            line=$(grep "pernadas: $name shown" "$log" | tail -1)
            read -r cw ch cx cy <<<"$(sed -E 's/.*client ([0-9]+)x([0-9]+) at (-?[0-9]+),(-?[0-9]+).*/\1 \2 \3 \4/' <<<"$line")"
            if frame; then
                seen_shown[$name]=$count
                return 0
            fi
        fi
        sleep 0.1
    done
    fail "no window of $name within $2 seconds"
}
# The smallest viewable window on the display that holds the client area, at most a frame and a
# title bar larger.
frame() {
    local found
    found=$(xwininfo -root -tree 2>/dev/null |
        awk -v cw="$cw" -v ch="$ch" -v cx="$cx" -v cy="$cy" -v dpi="$dpi" '
        match($0, /[0-9]+x[0-9]+\+-?[0-9]+\+-?[0-9]+ +\+-?[0-9]+\+-?[0-9]+$/) {
            split(substr($0, RSTART), g, /[x+ ]+/)
            w = g[1]; h = g[2]; x = g[5]; y = g[6]
            if (x <= cx && y <= cy && x + w >= cx + cw && y + h >= cy + ch &&
                w - cw <= 20 * dpi / 96 && h - ch <= 40 * dpi / 96 &&
                (best == "" || w * h < bw * bh)) {
                best = $1; bw = w; bh = h; bx = x; by = y
            }
        }
        END { if (best != "") print best, bx, by, bw, bh }')
    [ -n "$found" ] || return 1
    local id
    read -r id fx fy fw fh <<<"$found"
    [ "$(xwininfo -id "$id" 2>/dev/null | awk '/Map State/ { print $3 }')" = IsViewable ]
}
wait_unloaded() {
    local name=$1 deadline=$((SECONDS + $2)) count
    while [ $SECONDS -lt $deadline ]; do
        count=$(grep -c "pernadas: $name unloaded" "$log" || true)
        if [ "$count" -gt "${seen_unloaded[$name]:-0}" ]; then
            seen_unloaded[$name]=$count
            return 0
        fi
        sleep 0.1
    done
    fail "the window of $name is still there after $2 seconds"
}
shot() { sleep 0.5; import -window root -crop "${fw}x${fh}+${fx}+${fy}" +repage "$screens/$1.png"; }
# Clicks at a point of the current window's client area given in twips (15 to a pixel at 96 dpi).
click_twips() {
    xdotool mousemove $((cx + $(px "$1"))) $((cy + $(px "$2"))) click 1
}
# The pixels of a rectangle of the current window (twips), to see whether a read-out changed.
pixels() {
    import -window root -crop "$(px "$3")x$(px "$4")+$((cx + $(px "$1")))+$((cy + $(px "$2")))" \
        -depth 8 rgb:- | md5sum
}

start=$(date +%s.%N)
# Wine's errors go to the trace too, for a failure to show.
PERNADAS_WINEDEBUG=${PERNADAS_WINEDEBUG:--all,err+all} PERNADAS_WINE_DISPLAY=1 PERNADAS_TRACE_FORMS=1 \
    sh "$here/wine-run.sh" "$prefix" "$program" \
    >"$log" 2>&1 &
pid=$!

# The first window waits on Wine's start too, which a busy machine makes slow.
wait_form frmsplashscreen 180
first=$(date +%s.%N)
echo "first window after $(echo "$first - $start" | bc) s"
splash="$(px 6495)x$(px 3900)"
[ "${cw}x${ch}" = "$splash" ] || fail "the splash's client area is ${cw}x${ch}, not $splash"
shot splash

wait_form frmmain 30
wait_unloaded frmsplashscreen 30
# The splash lasts 4 seconds by the program's own clock, from the moment it was shown.
ms() { grep -m1 "pernadas: $1" "$log" | sed -E 's/.*\(([0-9]+) ms\)\r?$/\1/'; }
lasted=$(($(ms "frmsplashscreen unloaded") - $(ms "frmsplashscreen shown")))
echo "the splash lasted $lasted ms"
[ "$lasted" -ge 3500 ] && [ "$lasted" -le 5000 ] || fail "the splash lasted $lasted ms, not 4 seconds"
shot main-menu

click_twips $((840 + 727)) $((240 + 307))  # "2 Pernadas"
wait_form frmduaspernas 30
wait_unloaded frmmain 30
shot duas-pernadas
# One press, one step, before the load is set: the leg's right arrow held down for 2 seconds
# asks for the load in one box and moves the leg one step; nothing more comes while it is held,
# after the box is answered, or at the next key. The track held down, and then a key held down,
# the same with their own steps; a single click still steps.
boxes() { grep -c 'pernadas: box ' "$log" || true; }
leg() { grep -o 'frmduaspernas.hsbperna [0-9]*' "$log" | tail -1 | cut -d' ' -f2; }
# What a press gives comes once the program has handled it, however busy the machine; then, for
# a second and a half, nothing more may come.
boxes_and_leg() { [ "$(boxes)" = "$1" ] && [ "$(leg)" = "$2" ]; }
expect() {
    local deadline=$((SECONDS + 30))
    until boxes_and_leg "$1" "$2"; do
        [ $SECONDS -lt $deadline ] || fail "$3: $(boxes) boxes and the leg at $(leg) after 30 seconds, not $1 and $2"
        sleep 0.1
    done
    sleep 1.5
    boxes_and_leg "$1" "$2" || fail "$3: then $(boxes) boxes and the leg at $(leg), not $1 and $2"
}
hold_twips() {
    xdotool mousemove $((cx + $(px "$1"))) $((cy + $(px "$2"))) mousedown 1
    sleep 2
    xdotool mouseup 1
}
hold_twips $((240 + 3135 - 120)) $((360 + 127))  # the leg's right arrow
expect 1 102 "the leg's arrow held"
xdotool key Return
expect 1 102 "the box answered"
xdotool key Return  # a key on the slider, which the click gave the focus
expect 1 102 "a key after the box"
hold_twips 2400 $((360 + 127))  # the leg's track, right of the thumb
expect 2 112 "the leg's track held"
xdotool key Return
expect 2 112 "the box answered"
xdotool keydown Right
sleep 2
xdotool keyup Right
expect 3 113 "the Right key held on the leg"
xdotool key Return
click_twips $((240 + 3135 - 120)) $((360 + 127))
expect 4 114 "one more click on the arrow"
xdotool key Return
expect 4 114 "the last box answered"
shot duas-pernadas-pressed
# The load slider's right arrow: one small step, and its read-out shows another value.
before=$(pixels 3600 2355 735 330)
click_twips $((240 + 3135 - 120)) $((2400 + 127))
load_redrawn() { [ "$(pixels 3600 2355 735 330)" != "$before" ]; }
until_true "the load read-out redrawn after a click on its slider's arrow" 20 load_redrawn
shot duas-pernadas-moved

click_twips $((7200 + 607)) $((3720 + 247))  # "Cancelar"
wait_form frmmain 30
wait_unloaded frmduaspernas 30

click_twips $((840 + 727)) $((1200 + 307))  # "3 Pernadas"
wait_form frmtrespernas 30
shot tres-pernadas
xdotool key Escape
wait_form frmmain 30
wait_unloaded frmtrespernas 30

click_twips $((840 + 727)) $((2160 + 307))  # "4 Pernadas"
wait_form frmquatropernas 30
shot quatro-pernadas
xdotool key Escape
wait_form frmmain 30
wait_unloaded frmquatropernas 30

shot main-menu-again
click_twips $((3030 + 547)) $((2490 + 187))  # "Acerca"
wait_form frmacerca 30
shot acerca
xdotool key alt+o  # "&Ok"
wait_unloaded frmacerca 30
wait_form frmmain 30 again

click_twips $((3045 + 547)) $((3000 + 187))  # "Terminar"
status=0
timeout 20 tail --pid="$pid" -f /dev/null || fail "the program did not end after Terminar"
wait "$pid" || status=$?
pid=""
[ "$status" -eq 0 ] || fail "the program ended with status $status"
echo "the program went through splash, menu, the three calculators and the about dialog, and ended with status 0"
