#!/usr/bin/env bash
# Builds the release of the commit that is checked out twice, from two clones in two folders a
# moment apart, and compares the artifacts byte for byte; the first build's artifacts are checked
# as a release's are, the second's only compared. When they differ, Debian's diffoscope
# shows where.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

echo "== Reproducible release: two builds of $(git rev-parse --short HEAD) =="
# The first build is checked as a release is; the second is only compared with it.
for run in first second; do
    git clone -q --no-hardlinks "$root" "$work/$run-clone"
    unchecked=""
    [ "$run" = second ] && unchecked=1
    (cd "$work/$run-clone" &&
        PERNADAS_RELEASE_UNCHECKED=$unchecked bash scripts/release.sh "$work/$run" >"$work/$run.log" 2>&1) ||
        { cat "$work/$run.log"; echo "reproducible.sh: the $run build failed"; exit 1; }
    sleep 1
done
if cmp -s "$work/first/SHA256SUMS" "$work/second/SHA256SUMS"; then
    cat "$work/first/SHA256SUMS"
    echo "The two builds are byte for byte the same."
    exit 0
fi
diff "$work/first/SHA256SUMS" "$work/second/SHA256SUMS" || true
for f in "$work"/first/*; do
    name=$(basename "$f")
    [ "$name" = SHA256SUMS ] && continue
    cmp -s "$f" "$work/second/$name" && continue
    echo "== $name differs =="
    if command -v diffoscope >/dev/null; then
        diffoscope --text - "$f" "$work/second/$name" | head -200 || true
    fi
done
echo "reproducible.sh: the two builds differ"
exit 1
