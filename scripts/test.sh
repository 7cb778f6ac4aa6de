#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine, builds pernadas with warnings on, and runs every test, step
# by step: the Windows build and its tests under Wine beside the desktop build and its tests (the
# accessibility, display and Qt tests among them); the browser build in headless Chromium beside
# the toolkit-free core again under AddressSanitizer and UndefinedBehaviorSanitizer and the Debian
# package; the release packed from those builds and built again from a clean clone to the same
# bytes, and the fuzzer, beside the planted faults; and the format check. At the end it prints the
# seconds each step took.
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
# The seconds the machine's cores were busy so far (/proc/stat: user and system time of every
# process, those the steps leave running or that no one waits for, Chromium's and Wine's, included;
# niced work aside): beside a step's own seconds, it tells a step that keeps the cores busy from
# one that waits.
ticks=$(getconf CLK_TCK)
cpu_now=0
cpu_seconds() {  # into cpu_now
    local user system irq softirq steal
    # cpu, user, nice, system, idle, iowait, irq, softirq, steal
    read -r _ user _ system _ _ irq softirq steal _ </proc/stat
    cpu_now=$(((user + system + irq + softirq + steal) / ticks))
}
# Runs one step and keeps its time; a failing step ends the run, with the times so far.
step() {
    local name=$1 start=$SECONDS cpu status=0
    cpu_seconds
    cpu=$cpu_now
    shift
    "$@" || status=$?
    cpu_seconds
    cpu=$((cpu_now - cpu))
    steps+=("$(printf '%5d s %6d s busy  %s' $((SECONDS - start)) "$cpu" "$name")")
    if [ "$status" != 0 ]; then
        stop_beside
        report_times
        echo "FAILED: $name (exit $status)"
        exit "$status"
    fi
}
# A step that mostly waits (the Windows tests wait on Wine and its windows) runs beside the
# steps after it, until beside_ends: its output is kept in build-logs/ and shown once it ends,
# with the seconds it took.
beside_pids=() beside_names=() beside_logs=()
beside() {
    local name=$1 log
    shift
    mkdir -p build-logs
    log=build-logs/$(printf '%s' "$name" | tr -c 'A-Za-z0-9' '-').log
    echo "== $name: beside the next steps (its output in $log, shown when it ends) =="
    # A process group of its own (job control on while it starts), so that a failure elsewhere
    # stops all of it. It writes the seconds it took at the end of its log.
    set -m
    (
        start=$(date +%s) status=0
        "$@" || status=$?
        echo "$(($(date +%s) - start))" >"$log.seconds"
        exit "$status"
    ) >"$log" 2>&1 </dev/null &
    set +m
    beside_pids+=("$!") beside_names+=("$name") beside_logs+=("$log")
}
# Waits for every step started beside, shows its output, and fails if one failed.
beside_ends() {
    local i status failed=""
    for i in "${!beside_pids[@]}"; do
        status=0
        wait "${beside_pids[$i]}" || status=$?
        echo "== ${beside_names[$i]} (ran beside the steps above) =="
        cat "${beside_logs[$i]}"
        steps+=("$(printf '%5s s %6s      %s' "$(cat "${beside_logs[$i]}.seconds" 2>/dev/null || echo '?')" "" "${beside_names[$i]} (beside the steps above; their busy seconds include its)")")
        [ "$status" = 0 ] || failed="$failed${failed:+, }${beside_names[$i]} (exit $status)"
    done
    beside_pids=() beside_names=() beside_logs=()
    if [ -n "$failed" ]; then
        report_times
        echo "FAILED: $failed"
        exit 1
    fi
}
stop_beside() {
    local i
    for i in "${!beside_pids[@]}"; do
        kill -- -"${beside_pids[$i]}" 2>/dev/null || true
        wait "${beside_pids[$i]}" 2>/dev/null || true
        echo "== ${beside_names[$i]} was stopped; its output so far =="
        cat "${beside_logs[$i]}"
    done
    beside_pids=()
}
report_times() {
    echo "== Seconds per step, and the seconds its $jobs cores were busy =="
    printf '%s\n' "${steps[@]}"
}

# PRESET [CTEST ARGUMENTS] (a step's commands are chained: errexit does not hold in a step)
build_and_test() {
    local preset=$1
    shift
    cmake --preset "$preset" && cmake --build --preset "$preset" -j"$jobs" &&
        ctest --preset "$preset" -j"$jobs" "$@"
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

# A step that mostly waits runs beside steps that keep the cores busy. The Windows build and its
# tests (mostly waiting on Wine) run beside the desktop build and its tests; then the browser's
# build and tests (mostly waiting on Chromium, and on the desktop build's pernadas-replay) beside
# the sanitizers' build and the package; then the release, packed and built again, and the
# fuzzer (one core) beside the planted faults.
if [ -n "$quick" ]; then
    echo "== Build and test (RelWithDebInfo) =="
    step "desktop build and its tests" build_and_test default
    echo "== The calculators in a browser (WebAssembly, headless Chromium) =="
    step "browser build and its tests" bash scripts/web.sh --test
else
    beside "Windows build and tests under Wine" bash scripts/windows.sh
    # The fuzzer's run starts from every kept input, under the sanitizers: they are replayed
    # there, once, rather than here too.
    echo "== Build and test (RelWithDebInfo) =="
    step "desktop build and its tests" build_and_test default -E '^FuzzRegressions\.'
    beside "browser build and its tests" bash scripts/web.sh --test
    # One build under the sanitizers, with clang: the core's tests run in it, and so does the
    # fuzzer, which is built from the same instrumented objects.
    echo "== Build and test under AddressSanitizer and UndefinedBehaviorSanitizer =="
    step "core under the sanitizers" build_and_test fuzz
    step "Debian package" bash scripts/package.sh
    beside_ends
    # The release: the artifacts that the steps above built and tested, packed, and built once
    # more from a clean clone to the same bytes.
    beside "release, packed and built again" release
    beside "fuzzer" bash scripts/fuzz.sh
    step "planted faults" bash scripts/faults.sh
    beside_ends
fi
step "format" format_check
report_times
echo "All tests passed${quick:+ (the quick tier: bash scripts/test.sh runs everything)}."
