#!/usr/bin/env bash
# The Windows build: cross-compiles the toolkit-free core, the Windows platform layer and their
# tests with MinGW-w64 into build-windows, and runs the tests under Wine in a throw-away prefix
# (build-windows/wineprefix), headless. On a machine where Wine cannot run a Windows program at
# all, it says why and stops after the build, which must still succeed.
set -euo pipefail
cd "$(dirname "$0")/.."

jobs=$(nproc)
build=build-windows
prefix=$build/wineprefix

echo "== Windows build (MinGW-w64) =="
cmake -S windows -B "$build" -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64.cmake" \
      -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPERNADAS_WERROR=ON >/dev/null
cmake --build "$build" -j"$jobs"

echo "== Windows tests under Wine =="
# Can Wine run a program of this build? The first run also makes the prefix (a minute at most).
probe="$build/wine-probe.txt"
rm -f "$probe"
if ! command -v wine >/dev/null; then
    why="there is no wine command"
elif ! why=$(PERNADAS_MARKER="$PWD/$probe" timeout 300 \
                 sh windows/wine-run.sh "$prefix" "$build/bin/pernadas-marker.exe" 2>&1); then
    why="wine failed: ${why:-no output}"
elif [ ! -s "$probe" ]; then
    why="a Windows program ran but did nothing: ${why:-no output}"
else
    why=""
fi
if [ -n "$why" ]; then
    echo "Wine cannot run Windows programs on this machine, so the Windows tests were not run:"
    echo "$why"
    echo "The Windows build itself succeeded."
    exit 0
fi

# Wine's server outlives its last program for a few seconds; wait for it, whatever the outcome.
trap 'WINEPREFIX="$PWD/$prefix" wineserver -w || true' EXIT
ctest --test-dir "$build" --output-on-failure -j"$jobs"
