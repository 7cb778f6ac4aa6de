#!/usr/bin/env bash
# a11y_test.sh PROGRAM RUNNER: starts a private session bus, the accessibility bus and a virtual
# display, starts the program there with its accessibility on, and drives it through the bus
# with a11y_test.py. Fails when any of them cannot be started.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
program=$1
runner=$2

if [ -z "${PERNADAS_A11Y_INNER:-}" ]; then
    export PERNADAS_A11Y_INNER=1
    exec dbus-run-session -- bash "$0" "$@"
fi

display=:$((70 + RANDOM % 20))
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
/usr/libexec/at-spi-bus-launcher --launch-immediately >/dev/null 2>&1 &
bus=$!
cleanup() { kill "$app" "$bus" "$xvfb" 2>/dev/null || true; }
app=0
trap cleanup EXIT
export DISPLAY=$display
for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X${display#:}" ] && break; sleep 0.1; done

QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_QPA_PLATFORM=xcb "$program" &
app=$!
status=0
timeout 180 /usr/bin/python3 "$here/a11y_test.py" "$runner" || status=$?
# "Terminar" ends the program by itself.
for _ in $(seq 50); do kill -0 "$app" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$app" 2>/dev/null; then
    echo "the program did not end after Terminar"
    status=1
fi
exit $status
