#!/usr/bin/env bash
# A long run of the user-action fuzzer: one libFuzzer process per core, for a given time or
# until a given number of user actions has been performed, then the actions, the actions per
# second and the faults found. Every process starts from the kept inputs (fuzz/corpus) and the
# inputs earlier campaigns added (build-campaign/corpus); an input that breaks something is kept
# in build-campaign/artifacts and printed as a scenario.
#
#   bash scripts/campaign.sh --seconds 3600
#   bash scripts/campaign.sh --actions 100000000 [--round 600] [-- LIBFUZZER-FLAGS...]
#
# --actions runs rounds of --round seconds (600 by default) until the processes together have
# performed that many user actions (each process says how many when it ends). --jobs N uses N
# processes (every core by default). --fast builds the fuzzer without AddressSanitizer and
# UndefinedBehaviorSanitizer in the core, which performs several times the actions a second;
# the invariants and the independent account judge every action either way.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

seconds=0 target=0 round=600 jobs=$(nproc) fast=0
while [ $# -gt 0 ]; do
    case $1 in
        --seconds) seconds=$2; shift 2 ;;
        --actions) target=$2; shift 2 ;;
        --round) round=$2; shift 2 ;;
        --jobs) jobs=$2; shift 2 ;;
        --fast) fast=1; shift ;;
        --) shift; break ;;
        *) echo "usage: campaign.sh (--seconds S | --actions N [--round S]) [--jobs N] [--fast]" >&2
           exit 2 ;;
    esac
done
if [ "$seconds" -le 0 ] && [ "$target" -le 0 ]; then
    echo "campaign.sh: say --seconds or --actions" >&2
    exit 2
fi

work=$root/build-campaign
if [ "$fast" = 1 ]; then
    cmake -S . -B "$work/obj" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
        -DPERNADAS_QT=OFF -DPERNADAS_TESTS=OFF -DPERNADAS_EXHAUSTIVE=ON \
        -DCMAKE_CXX_FLAGS=-fsanitize=fuzzer-no-link \
        >/dev/null
    cmake --build "$work/obj" -j"$jobs" --target actions_fuzzer_fast >/dev/null
    fuzzer=$work/obj/bin/actions_fuzzer_fast
else
    cmake --preset fuzz >/dev/null
    cmake --build --preset fuzz -j"$jobs" >/dev/null
    fuzzer=$root/build-fuzz/bin/actions_fuzzer
fi
mkdir -p "$work/corpus" "$work/artifacts" "$work/logs"
rm -f "$work"/logs/*.log

echo "== Fuzzing campaign: $jobs processes, $([ "$fast" = 1 ] && echo "core without sanitizers" || echo "under the sanitizers") =="
actions=0 faults=0 rounds=0
start=$SECONDS
while :; do
    length=$seconds
    [ "$target" -gt 0 ] && length=$round
    pids=()
    for j in $(seq 1 "$jobs"); do
        log=$work/logs/round$rounds-job$j.log
        "$fuzzer" "$work/corpus" fuzz/corpus -max_total_time="$length" -max_len=256 -timeout=10 \
            -use_value_profile=1 -print_final_stats=1 -seed=$((RANDOM * 32768 + RANDOM + j)) \
            -artifact_prefix="$work/artifacts/" "$@" >"$log" 2>&1 &
        pids+=($!)
    done
    for j in "${!pids[@]}"; do
        log=$work/logs/round$rounds-job$((j + 1)).log
        if ! wait "${pids[$j]}"; then
            faults=$((faults + 1))
            echo "-- a process stopped on a fault ($log):"
            grep -A40 '== broken invariant' "$log" | head -n 40 || tail -n 40 "$log"
        fi
        n=$(sed -n 's/^stat::user_actions: *//p' "$log" | tail -n 1)
        actions=$((actions + ${n:-0}))
    done
    rounds=$((rounds + 1))
    elapsed=$((SECONDS - start))
    echo "round $rounds: $actions user actions in $elapsed s"
    [ "$target" -gt 0 ] && [ "$actions" -lt "$target" ] && [ "$faults" -eq 0 ] || break
done
elapsed=$((SECONDS - start))
echo "$actions user actions in $elapsed s on $jobs processes:" \
    "$((actions / (elapsed > 0 ? elapsed : 1))) actions/s; $faults faults"
[ "$faults" -eq 0 ]
