#!/usr/bin/env bash
# Builds the user-action fuzzer with clang (libFuzzer under AddressSanitizer and
# UndefinedBehaviorSanitizer) in build-fuzz and fuzzes for FUZZ_SECONDS (60 by default), starting
# from every input kept in fuzz/regressions and fuzz/corpus; further arguments go to libFuzzer.
# New inputs go to build-fuzz/corpus; an input that breaks something is written to
# build-fuzz/artifacts and the script fails.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${FUZZ_SECONDS:-60}
jobs=$(nproc)

echo "== Fuzz the user actions (${seconds} s) =="
cmake --preset fuzz >/dev/null
# The same build as the core's tests under the sanitizers (scripts/test.sh has built it all).
cmake --build --preset fuzz -j"$jobs" --target actions_fuzzer
fuzzer=build-fuzz/bin/actions_fuzzer

# The fuzzing run starts from every kept input, each run once as it is under the sanitizers
# (the sanitizers' tests leave them to it); its own output goes to build-fuzz/fuzz.log, whose end
# is shown when it fails.
mkdir -p build-fuzz/corpus build-fuzz/artifacts
if ! "$fuzzer" build-fuzz/corpus fuzz/corpus fuzz/regressions -max_total_time="$seconds" -max_len=256 -timeout=10 \
        -use_value_profile=1 -print_final_stats=1 -artifact_prefix=build-fuzz/artifacts/ "$@" \
        >build-fuzz/fuzz.log 2>&1; then
    tail -n 80 build-fuzz/fuzz.log
    echo "fuzzing found a fault; the input is in build-fuzz/artifacts/"
    exit 1
fi
grep -E '^(Done|stat::(number_of_executed_units|new_units_added|peak_rss_mb|user_actions|runs_of_actions|unjudged_actions))' build-fuzz/fuzz.log
