#!/usr/bin/env bash
# Shows that the action fuzzer's kept inputs catch wrong numbers: plants, one at a time, each
# fault below in a scratch copy of the sources (build-faults/src, never the tree itself), builds
# the inputs' checker (fuzz_check) from that copy, and replays every kept input (fuzz/corpus and
# fuzz/regressions) through it. Each fault must make at least one kept input break an invariant;
# the script fails when one goes unnoticed, and first when the copy without a fault does not
# pass. scripts/test.sh runs it; on its own:
#
#   bash scripts/faults.sh
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
work=$root/build-faults
src=$work/src

# Each fault: a name, the file, and the sed expression that plants it. When the code it
# rewrites changes, the script says that the fault could not be planted, and fails.
faults=(
    "rounding halves away from zero instead of to even|forms/numbers.cpp|s/if (diff > 0.5 || (diff == 0.5 \&\& std::fmod(r, 2.0) != 0)) r += 1;/if (diff >= 0.5) r += 1;/"
    "the upper angle not doubled|calculators/sling.cpp|s/\* kDegreesPerRadian \* 2)/* kDegreesPerRadian)/"
    "the four-leg half-diagonal in double, not single precision|calculators/quatropernas.h|s/return ToSingle(d());/return d();/"
    "the three-leg height read-out from the height slider, not from the leg|calculators/trespernas.cpp|s/showMetres(txtaltura, Sqrt(Sqr(p()) - Sqr(r)));/showMetres(txtaltura, h());/"
    "a slider's range check letting Max + 1 through|forms/form.h|s/v.value() > d.max)/v.value() > d.max + 1)/"
    "a slider's range check refusing Max itself|forms/form.h|s/v.value() > d.max)/v.value() >= d.max)/"
    "the exact 180/pi instead of the program's own degree factor|calculators/sling.h|s/kDegreesPerRadian = 57.295785523;/kDegreesPerRadian = 180 \/ 3.14159265358979323846;/"
    "the four-leg search stepping down on both sides of 90|calculators/quatropernas.cpp|s/hsbperna.setValue(p() + 1);/hsbperna.setValue(p() - 1);/"
)

echo "== Planted faults against the fuzzer's kept inputs =="
start=$SECONDS
mkdir -p "$work"
rm -rf "$src"
mkdir -p "$src"
git ls-files -z --cached --others --exclude-standard | xargs -0 cp --parents -t "$src"
(cd "$src" && cmake --preset faults -B "$work/obj") >"$work/configure.log"

check() {  # prints the checker's verdict; its status is the checker's
    cmake --build "$work/obj" -j"$(nproc)" --target fuzz_check >"$work/build.log" 2>&1 ||
        { cat "$work/build.log"; echo "the copy does not build"; exit 1; }
    "$work/obj/bin/fuzz_check" "$root/fuzz/corpus" "$root/fuzz/regressions" >"$work/check.log"
}

if ! check; then
    cat "$work/check.log"
    echo "the kept inputs fail without any fault planted"
    exit 1
fi
echo "without a fault: $(tail -n 1 "$work/check.log")"

missed=0
for fault in "${faults[@]}"; do
    IFS='|' read -r name file expr <<<"$fault"
    cp "$root/$file" "$src/$file"
    sed -i "$expr" "$src/$file"
    if cmp -s "$root/$file" "$src/$file"; then
        echo "FAULT NOT PLANTED: $name ($file no longer holds what it replaces)"
        missed=$((missed + 1))
        continue
    fi
    if check; then
        echo "MISSED: $name"
        missed=$((missed + 1))
    else
        echo "caught: $name: $(tail -n 1 "$work/check.log")"
        head -n 1 "$work/check.log" | cut -c1-240 | sed 's/^/    e.g. /'
    fi
    cp "$root/$file" "$src/$file"
done
echo "$((${#faults[@]} - missed)) of ${#faults[@]} faults caught in $((SECONDS - start)) s"
[ "$missed" -eq 0 ]
