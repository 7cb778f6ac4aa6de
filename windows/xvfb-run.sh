#!/bin/sh
# Runs a command on a virtual display of its own: the first free one of :90 to :99 (Xvfb,
# 1024x768, 24 bits), which ends with the command. DISPLAY names it for the command. The server
# does not reset when its last client goes (-noreset): the tests stop Wine between steps, and a
# program that connected while the server reset lost its display ("X connection broken").
#   sh xvfb-run.sh COMMAND [ARGUMENT...]
set -eu
display=""
xvfb_pid=""
cleanup() {
    if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; fi
}
trap cleanup EXIT INT TERM
for n in 90 91 92 93 94 95 96 97 98 99; do
    [ -e "/tmp/.X$n-lock" ] && continue
    Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp -noreset >/dev/null 2>&1 &
    xvfb_pid=$!
    # Ready when the display answers; gone when another run took the number first.
    for _ in $(seq 50); do
        if ! kill -0 "$xvfb_pid" 2>/dev/null; then xvfb_pid=""; break; fi
        if DISPLAY=":$n" xdpyinfo >/dev/null 2>&1 || DISPLAY=":$n" xwininfo -root >/dev/null 2>&1; then
            display=":$n"
            break
        fi
        sleep 0.1
    done
    [ -n "$display" ] && break
    cleanup
    xvfb_pid=""
done
if [ -z "$display" ]; then
    echo "xvfb-run.sh: no free virtual display among :90 to :99" >&2
    exit 1
fi
export DISPLAY="$display"
status=0
"$@" || status=$?
exit $status
