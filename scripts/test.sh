#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine, builds pernadas with warnings on, and runs every test, step
# by step: the desktop build and its tests (the accessibility, display and Qt tests among them),
# the browser build in headless Chromium, the toolkit-free core again under AddressSanitizer and
# UndefinedBehaviorSanitizer, the Debian package, the Windows build under Wine, the release packed
# from those builds and built again from a clean clone to the same bytes, the fuzzer, the planted
# faults, and the format check. At the end it prints the seconds each step took.
#
#   bash scripts/test.sh            everything (what CI runs)
#   bash scripts/test.sh --quick    the desktop build and its tests, the browser's tests and the
#                                   format check: for daily work, before the whole run
set -euo pipefail
cd "$(dirname "$0")/.."

quick=""
case "${1:-}" in
    --quick) quick=1 ;;
    "") ;;
    *) echo "test.sh: unknown option $1 (--quick or nothing)" >&2; exit 2 ;;
esac

jobs=$(nproc)
steps=()
# Runs one step and keeps its time; a failing step ends the run, with the times so far.
step() {
    local name=$1 start=$SECONDS status=0
    shift
    "$@" || status=$?
    steps+=("$(printf '%5d s  %s' $((SECONDS - start)) "$name")")
    if [ "$status" != 0 ]; then
        report_times
        echo "FAILED: $name (exit $status)"
        exit "$status"
    fi
}
report_times() {
    echo "== Seconds per step =="
    printf '%s\n' "${steps[@]}"
}

build_and_test() {  # PRESET (a step's commands are chained: errexit does not hold in a step)
    cmake --preset "$1" && cmake --build --preset "$1" -j"$jobs" && ctest --preset "$1" -j"$jobs"
}

release() {
    bash scripts/release.sh --built build/release && bash scripts/reproducible.sh build/release
}

format_check() {
    echo "== Format =="
    # deps.sh installs clang-format: without it the check fails rather than passing unread.
    local unformatted
    unformatted=$(git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run 2>&1 | grep -c warning || true)
    if [ "$unformatted" != "0" ]; then
        echo "clang-format: $unformatted places differ from .clang-format"
        return 1
    fi
}

step "install what is missing (apt)" bash scripts/deps.sh
# deps.sh has installed Wine and Xvfb: the Windows tests run, and a failure to run them fails.
unset PERNADAS_WINDOWS_BUILD_ONLY

echo "== Build and test (RelWithDebInfo) =="
step "desktop build and its tests" build_and_test default
echo "== The calculators in a browser (WebAssembly, headless Chromium) =="
step "browser build and its tests" bash scripts/web.sh --test
if [ -z "$quick" ]; then
    echo "== Build and test under AddressSanitizer and UndefinedBehaviorSanitizer =="
    step "core under the sanitizers" build_and_test sanitize
    step "Debian package" bash scripts/package.sh
    step "Windows build and tests under Wine" bash scripts/windows.sh
    # The release: the artifacts that the steps above built and tested, packed, and built once
    # more from a clean clone to the same bytes.
    step "release, packed and built again" release
    step "fuzzer" bash scripts/fuzz.sh
    step "planted faults" bash scripts/faults.sh
fi
step "format" format_check
report_times
echo "All tests passed${quick:+ (the quick tier: bash scripts/test.sh runs everything)}."
