#!/usr/bin/env bash
# The Windows step must not pass without running the Windows tests: on a machine where Wine and
# Xvfb cannot be found, scripts/windows.sh fails at once (before building anything) unless the
# build alone was asked for, and says why.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bin=$(mktemp -d)
trap 'rm -rf "$bin"' EXIT

# Every program on PATH but Wine's and Xvfb.
IFS=: read -ra dirs <<<"$PATH"
for dir in "${dirs[@]}"; do
    [ -d "$dir" ] || continue
    for tool in "$dir"/*; do
        name=${tool##*/}
        case "$name" in wine* | Xvfb) continue ;; esac
        if [ -x "$tool" ] && [ ! -e "$bin/$name" ]; then ln -s "$tool" "$bin/$name"; fi
    done
done

fail() {
    echo "FAIL: $*"
    exit 1
}
status=0
out=$(cd "$root" && env -u PERNADAS_WINDOWS_BUILD_ONLY PATH="$bin" bash scripts/windows.sh 2>&1) ||
    status=$?
[ "$status" -ne 0 ] || fail "windows.sh passed without Wine and Xvfb: $out"
grep -q "not installed here: wine Xvfb" <<<"$out" || fail "windows.sh did not say what is missing: $out"
if grep -q "Windows build" <<<"$out"; then fail "windows.sh built before failing: $out"; fi
echo "without Wine and Xvfb, windows.sh fails at once and says why"
