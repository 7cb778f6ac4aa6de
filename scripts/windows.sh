#!/usr/bin/env bash
# The Windows build: cross-compiles the toolkit-free core, the Windows platform layer and their
# tests with MinGW-w64 into build-windows, and runs the tests under Wine in a throw-away prefix
# (build-windows/wineprefix), headless, and the desktop program's tests under Wine on virtual
# displays of their own (Xvfb :90 to :99, started by the tests). Where Wine or Xvfb is not
# installed, or a Windows program cannot run, it fails; PERNADAS_WINDOWS_BUILD_ONLY=1 on a
# machine without them checks the build alone and says that the tests were not run.
set -euo pipefail
cd "$(dirname "$0")/.."

jobs=$(nproc)
build=build-windows
prefix=$build/wineprefix

# The test command installs Wine and Xvfb (scripts/packages/windows.txt): their absence is a
# failure, found before the build, unless the build alone was asked for.
missing=""
command -v wine >/dev/null || missing="wine"
command -v Xvfb >/dev/null || missing="$missing Xvfb"
if [ -n "$missing" ] && [ -z "${PERNADAS_WINDOWS_BUILD_ONLY:-}" ]; then
    echo "windows.sh: not installed here: ${missing# }, so the Windows tests cannot run."
    echo "windows.sh: failing; bash scripts/deps.sh installs them, or set"
    echo "PERNADAS_WINDOWS_BUILD_ONLY=1 to check the build alone"
    exit 1
fi

# Built as the release is, so that this program and its installer, once tested, are the release's.
. scripts/release-env.sh
echo "== Windows build (MinGW-w64) =="
cmake --preset windows >/dev/null
cmake --build --preset windows -j"$jobs"
echo "== Windows installer (CPack, NSIS) =="
(cd "$build" && cpack -G NSIS >/dev/null && ls -l pernadas-*-win64.exe)

echo "== Windows tests under Wine =="
if [ -n "$missing" ]; then
    echo "Not installed here: ${missing# }. PERNADAS_WINDOWS_BUILD_ONLY is set: the build alone"
    echo "succeeded, and the Windows tests were not run."
    exit 0
fi
# Can Wine run a program of this build? The first run also makes the prefix (a minute at most).
# A probe that fails is tried once more, after Wine's server has ended.
probe="$build/wine-probe.txt"
run_probe() {
    rm -f "$probe"
    local out status=0
    out=$(PERNADAS_MARKER="$PWD/$probe" timeout 300 \
              sh windows/wine-run.sh "$prefix" "$build/bin/pernadas-marker.exe" 2>&1) || status=$?
    if [ "$status" != 0 ]; then
        echo "wine failed (exit $status): $(printf '%s' "${out:-no output}" | tail -n 30)"
    elif [ ! -s "$probe" ]; then
        echo "a Windows program ran but did nothing: ${out:-no output}"
    fi
}
why=$(run_probe)
if [ -n "$why" ]; then
    echo "The first run of a Windows program failed; trying once more. $why"
    WINEPREFIX="$PWD/$prefix" timeout 60 wineserver -w || true
    why=$(run_probe)
fi
if [ -n "$why" ]; then
    echo "FAILED: Wine is installed but cannot run the Windows programs of this build:"
    echo "$why"
    exit 1
fi

# Wine's server outlives its last program for a few seconds; wait for it, whatever the outcome.
trap 'WINEPREFIX="$PWD/$prefix" wineserver -w || true' EXIT
ctest --preset windows -j"$jobs"
