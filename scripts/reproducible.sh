#!/usr/bin/env bash
# Builds the release of the commit that is checked out once more, from a clean clone in another
# folder, and compares its artifacts byte for byte with those in DIST (dist/ unless told), which
# `scripts/release.sh --built` packed from the builds that the test command made and tested.
# When they differ, Debian's diffoscope shows where.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
dist=$(realpath -m "${1:-dist}")
if [ -n "$(git status --porcelain --untracked-files=no)" ]; then
    echo "reproducible.sh: NOT COMPARED: the checkout has changes, so its builds are not the commit's"
    echo "(commit them, or run the test command on a clean clone as CI does)"
    exit 0
fi
[ -f "$dist/SHA256SUMS" ] || { echo "reproducible.sh: no release in $dist (scripts/release.sh --built)"; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

echo "== Reproducible release: $(git rev-parse --short HEAD) built again in another folder =="
git clone -q --no-hardlinks "$root" "$work/clone"
(cd "$work/clone" && PERNADAS_RELEASE_UNCHECKED=1 bash scripts/release.sh "$work/again" >"$work/again.log" 2>&1) ||
    { cat "$work/again.log"; echo "reproducible.sh: the second build failed"; exit 1; }
if cmp -s "$dist/SHA256SUMS" "$work/again/SHA256SUMS"; then
    cat "$dist/SHA256SUMS"
    echo "The two builds are byte for byte the same."
    exit 0
fi
diff "$dist/SHA256SUMS" "$work/again/SHA256SUMS" || true
for f in "$dist"/*; do
    name=$(basename "$f")
    [ "$name" = SHA256SUMS ] && continue
    cmp -s "$f" "$work/again/$name" && continue
    echo "== $name differs =="
    if command -v diffoscope >/dev/null; then
        diffoscope --text - "$f" "$work/again/$name" | head -200 || true
    fi
done
echo "reproducible.sh: the two builds differ"
exit 1
