#!/usr/bin/env bash
# Checks every state of the two-leg calculator that user actions can reach, and every action
# from each, against the independent account (fuzz/exhaustive.cpp says what and how). Not part
# of the test command: the whole walk takes hours on two cores.
#
#   bash scripts/exhaustive.sh [ARGS...]          build (optimised, build-exhaustive) and run
#   bash scripts/exhaustive.sh --source DIR [ARGS...]
#                                                 the same from another copy of the sources,
#                                                 say one with a fault planted by hand
#   bash scripts/exhaustive.sh --faults [ARGS...] each fault that scripts/faults.sh plants in
#                                                 the forms model or the two-leg calculator,
#                                                 planted in turn in a copy of the sources: the
#                                                 check must disagree, and says how soon
#
# ARGS go to the check: --threads N, --loads MIN..MAX, --max-states N, --stop-after N,
# --seconds S, --timeout S, --capacity LOG2, --checkpoint FILE (keep the progress there and
# take it up again: the whole walk in several sittings), --every S. With --faults each run stops
# at its first disagreement, or after --seconds (300 by default) without one.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

configure() {  # source folder, build folder
    cmake -S "$1" -B "$2" -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_COMPILER=clang++ \
        -DPERNADAS_QT=OFF -DPERNADAS_TESTS=OFF -DPERNADAS_EXHAUSTIVE=ON >"$2.configure.log" 2>&1 ||
        { cat "$2.configure.log"; exit 1; }
}
build() {  # build folder
    cmake --build "$1" -j"$(nproc)" --target exhaustive >"$1.build.log" 2>&1 ||
        { tail -n 40 "$1.build.log"; echo "the check does not build"; exit 1; }
}

case ${1:-} in
    --source)
        [ $# -ge 2 ] || { echo "exhaustive.sh --source DIR [ARGS...]" >&2; exit 2; }
        src=$(cd "$2" && pwd)
        shift 2
        obj=$root/build-exhaustive-source
        configure "$src" "$obj"
        build "$obj"
        exec "$obj/bin/exhaustive" "$@"
        ;;
    --faults)
        shift
        ;;
    *)
        obj=$root/build-exhaustive
        configure "$root" "$obj"
        build "$obj"
        exec "$obj/bin/exhaustive" "$@"
        ;;
esac

# The planted faults: the list of scripts/faults.sh, read from there so that the two agree.
eval "$(sed -n '/^faults=(/,/^)/p' scripts/faults.sh)"
work=$root/build-exhaustive-faults
src=$work/src
rm -rf "$src"
mkdir -p "$src"
git ls-files -z --cached --others --exclude-standard | xargs -0 cp --parents -t "$src"
configure "$src" "$work/obj"

echo "== Planted faults against the exhaustive check =="
found=0 tried=0
for fault in "${faults[@]}"; do
    IFS='|' read -r name file expr <<<"$fault"
    case $file in
        calculators/trespernas* | calculators/quatropernas*)
            echo "not in the two-leg calculator: $name"
            continue
            ;;
    esac
    tried=$((tried + 1))
    cp "$root/$file" "$src/$file"
    sed -i "$expr" "$src/$file"
    if cmp -s "$root/$file" "$src/$file"; then
        echo "FAULT NOT PLANTED: $name ($file no longer holds what it replaces)"
        continue
    fi
    build "$work/obj"
    if "$work/obj/bin/exhaustive" --stop-after 1 --seconds 300 "$@" >"$work/run.log" 2>&1; then
        echo "MISSED: $name: $(tail -n 1 "$work/run.log")"
    else
        found=$((found + 1))
        echo "found: $name"
        awk '/^== /{if (p) exit; p = 1} /^(layer|every|stopped)/{if (p) exit} p' "$work/run.log" |
            head -n 16 | sed 's/^/    /'
    fi
    cp "$root/$file" "$src/$file"
done
echo "$found of $tried faults in the forms model and the two-leg calculator found"
[ "$found" -eq "$tried" ]
